#include "languages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace splitwick {

namespace {

struct LanguageCode {
    std::string_view iso639_1, iso639_2;
};

// Every ISO 639-1 code with its ISO 639-2 bibliographic form, the one Matroska files carry;
// also "in", "iw" and "ji", the codes of 1988 that older discs still write. Sorted.
constexpr LanguageCode Languages[] = {
    {"aa", "aar"}, {"ab", "abk"}, {"ae", "ave"}, {"af", "afr"}, {"ak", "aka"}, {"am", "amh"},
    {"an", "arg"}, {"ar", "ara"}, {"as", "asm"}, {"av", "ava"}, {"ay", "aym"}, {"az", "aze"},
    {"ba", "bak"}, {"be", "bel"}, {"bg", "bul"}, {"bh", "bih"}, {"bi", "bis"}, {"bm", "bam"},
    {"bn", "ben"}, {"bo", "tib"}, {"br", "bre"}, {"bs", "bos"}, {"ca", "cat"}, {"ce", "che"},
    {"ch", "cha"}, {"co", "cos"}, {"cr", "cre"}, {"cs", "cze"}, {"cu", "chu"}, {"cv", "chv"},
    {"cy", "wel"}, {"da", "dan"}, {"de", "ger"}, {"dv", "div"}, {"dz", "dzo"}, {"ee", "ewe"},
    {"el", "gre"}, {"en", "eng"}, {"eo", "epo"}, {"es", "spa"}, {"et", "est"}, {"eu", "baq"},
    {"fa", "per"}, {"ff", "ful"}, {"fi", "fin"}, {"fj", "fij"}, {"fo", "fao"}, {"fr", "fre"},
    {"fy", "fry"}, {"ga", "gle"}, {"gd", "gla"}, {"gl", "glg"}, {"gn", "grn"}, {"gu", "guj"},
    {"gv", "glv"}, {"ha", "hau"}, {"he", "heb"}, {"hi", "hin"}, {"ho", "hmo"}, {"hr", "hrv"},
    {"ht", "hat"}, {"hu", "hun"}, {"hy", "arm"}, {"hz", "her"}, {"ia", "ina"}, {"id", "ind"},
    {"ie", "ile"}, {"ig", "ibo"}, {"ii", "iii"}, {"ik", "ipk"}, {"in", "ind"}, {"io", "ido"},
    {"is", "ice"}, {"it", "ita"}, {"iu", "iku"}, {"iw", "heb"}, {"ja", "jpn"}, {"ji", "yid"},
    {"jv", "jav"}, {"ka", "geo"}, {"kg", "kon"}, {"ki", "kik"}, {"kj", "kua"}, {"kk", "kaz"},
    {"kl", "kal"}, {"km", "khm"}, {"kn", "kan"}, {"ko", "kor"}, {"kr", "kau"}, {"ks", "kas"},
    {"ku", "kur"}, {"kv", "kom"}, {"kw", "cor"}, {"ky", "kir"}, {"la", "lat"}, {"lb", "ltz"},
    {"lg", "lug"}, {"li", "lim"}, {"ln", "lin"}, {"lo", "lao"}, {"lt", "lit"}, {"lu", "lub"},
    {"lv", "lav"}, {"mg", "mlg"}, {"mh", "mah"}, {"mi", "mao"}, {"mk", "mac"}, {"ml", "mal"},
    {"mn", "mon"}, {"mr", "mar"}, {"ms", "may"}, {"mt", "mlt"}, {"my", "bur"}, {"na", "nau"},
    {"nb", "nob"}, {"nd", "nde"}, {"ne", "nep"}, {"ng", "ndo"}, {"nl", "dut"}, {"nn", "nno"},
    {"no", "nor"}, {"nr", "nbl"}, {"nv", "nav"}, {"ny", "nya"}, {"oc", "oci"}, {"oj", "oji"},
    {"om", "orm"}, {"or", "ori"}, {"os", "oss"}, {"pa", "pan"}, {"pi", "pli"}, {"pl", "pol"},
    {"ps", "pus"}, {"pt", "por"}, {"qu", "que"}, {"rm", "roh"}, {"rn", "run"}, {"ro", "rum"},
    {"ru", "rus"}, {"rw", "kin"}, {"sa", "san"}, {"sc", "srd"}, {"sd", "snd"}, {"se", "sme"},
    {"sg", "sag"}, {"si", "sin"}, {"sk", "slo"}, {"sl", "slv"}, {"sm", "smo"}, {"sn", "sna"},
    {"so", "som"}, {"sq", "alb"}, {"sr", "srp"}, {"ss", "ssw"}, {"st", "sot"}, {"su", "sun"},
    {"sv", "swe"}, {"sw", "swa"}, {"ta", "tam"}, {"te", "tel"}, {"tg", "tgk"}, {"th", "tha"},
    {"ti", "tir"}, {"tk", "tuk"}, {"tl", "tgl"}, {"tn", "tsn"}, {"to", "ton"}, {"tr", "tur"},
    {"ts", "tso"}, {"tt", "tat"}, {"tw", "twi"}, {"ty", "tah"}, {"ug", "uig"}, {"uk", "ukr"},
    {"ur", "urd"}, {"uz", "uzb"}, {"ve", "ven"}, {"vi", "vie"}, {"vo", "vol"}, {"wa", "wln"},
    {"wo", "wol"}, {"xh", "xho"}, {"yi", "yid"}, {"yo", "yor"}, {"za", "zha"}, {"zh", "chi"},
    {"zu", "zul"},
};

struct Kind {
    int extension;
    const char* name;
};

// Audio code extension.
constexpr std::array<Kind, 4> AudioKinds = {{
    {1, "normal"},
    {2, "visually-impaired"},
    {3, "commentary"}, // director's comments
    {4, "commentary"}, // alternate director's comments
}};

// Subpicture code extension.
constexpr std::array<Kind, 10> SubtitleKinds = {{
    {1, "normal"},
    {2, "large"},
    {3, "children"},
    {5, "hearing-impaired"}, // closed captions
    {6, "hearing-impaired"}, // closed captions, large
    {7, "hearing-impaired"}, // closed captions for children
    {9, "forced"},
    {13, "commentary"}, // director's comments
    {14, "commentary"}, // director's comments, large
    {15, "commentary"}, // director's comments for children
}};

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Authoring tools write the extension in decimal ("13") or in hexadecimal ("0D").
std::optional<int> extensionNumber(std::string_view text) {
    const bool decimal =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    int value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, decimal ? 10 : 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

template <size_t N>
std::string kindOf(const std::array<Kind, N>& kinds, std::optional<int> extension) {
    for (const Kind& kind : kinds)
        if (extension == kind.extension) return kind.name;
    return {};
}

} // namespace

std::string iso639_2(std::string_view code) {
    const std::string lower = lowerAscii(code);
    const auto found = std::lower_bound(
        std::begin(Languages), std::end(Languages), lower,
        [](const LanguageCode& entry, const std::string& key) { return entry.iso639_1 < key; });
    if (found == std::end(Languages) || found->iso639_1 != lower) return {};
    return std::string(found->iso639_2);
}

TrackLanguage trackLanguage(std::string_view langcode, TrackKind kind) {
    const size_t colon = langcode.find(':');
    TrackLanguage track;
    track.code = lowerAscii(langcode.substr(0, colon));
    track.language = iso639_2(track.code);
    if (colon == std::string_view::npos) return track;
    const std::optional<int> extension = extensionNumber(langcode.substr(colon + 1));
    track.kind =
        kind == TrackKind::Audio ? kindOf(AudioKinds, extension) : kindOf(SubtitleKinds, extension);
    return track;
}

} // namespace splitwick
