#include "encoded_streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "test_files.h"

namespace splitwick::testing {

namespace {

using maker::Codec;

struct Encoding {
    Codec codec;
    std::string name;      // of the cached files
    std::string format;    // ffmpeg's raw format of the stream
    std::string arguments; // ffmpeg's input and encoder
};

const std::string Picture24 = "-f lavfi -i testsrc2=size=640x360:rate=24000/1001 ";
const std::string Picture25 = "-f lavfi -i testsrc2=size=640x360:rate=25 ";
// Noise keeps the frames large enough to span many packs.
const std::string Noise = "-t 3 -vf noise=alls=10:allf=t ";
const std::string X264 = "-pix_fmt yuv420p -c:v libx264 -preset veryfast -threads 1 -g 12 -bf 2 "
                         "-x264-params aud=1:open-gop=1:scenecut=0 ";
const std::string Tone = "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 3 -ac 2 ";

// A stream of tests/data read in its raw format and copied as it is.
std::string copied(const std::string& format, const std::string& file) {
    return "-f " + format + " -i '" + SPLITWICK_TEST_DATA + "/" + file + "' -c copy ";
}

const Encoding& encodingOf(Encoded which) {
    static const std::map<Encoded, Encoding> Encodings = {
        {Encoded::H264At24000_1001, {Codec::H264, "h264-24", "h264", Picture24 + Noise + X264}},
        {Encoded::H264At25, {Codec::H264, "h264-25", "h264", Picture25 + Noise + X264}},
        {Encoded::Mpeg2At25,
         {Codec::Mpeg2, "mpeg2-25", "mpeg2video",
          Picture25 + Noise + "-c:v mpeg2video -b:v 6M -g 12 -bf 2 "}},
        {Encoded::Mpeg2Long,
         {Codec::Mpeg2, "mpeg2-long", "mpeg2video",
          "-f lavfi -i testsrc2=size=160x96:rate=24000/1001 -frames:v 4000 -c:v mpeg2video "
          "-b:v 300k -g 12 -bf 2 "}},
        {Encoded::Ac3, {Codec::DD, "ac3", "ac3", Tone + "-c:a ac3 -b:a 192k "}},
        {Encoded::Ac3Long,
         {Codec::DD, "ac3-long", "ac3",
          "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 167 -ac 2 -c:a ac3 -b:a 96k "}},
        {Encoded::Eac3, {Codec::DDPlus, "eac3", "eac3", Tone + "-c:a eac3 -b:a 192k "}},
        {Encoded::Dts, {Codec::DtsHd, "dts", "dts", Tone + "-c:a dca -strict -2 "}},
        {Encoded::TrueHd, {Codec::Mlp, "truehd", "truehd", Tone + "-c:a truehd -strict -2 "}},
        {Encoded::Eac3Dolby, {Codec::DDPlus, "eac3-dolby", "eac3", copied("eac3", "maxfrm_1.ec3")}},
        {Encoded::TrueHdReal,
         {Codec::Mlp, "truehd-real", "truehd", copied("truehd", "fba_2ch.mlp")}},
        {Encoded::DtsHdMa,
         {Codec::DtsHd, "dtshd-ma", "dts", copied("dts", "dtshd_ma_71_24bit.dts")}},
        {Encoded::Lpcm16Stereo,
         {Codec::Lpcm, "lpcm16", "s16be",
          "-f lavfi -i aevalsrc='sin(300*2*PI*t)*0.8|sin(410*2*PI*t)*0.8':c=stereo:s=48000:d=3 "}},
    };
    return Encodings.at(which);
}

// FNV-1a: cached files are named after the command that makes them, so a changed command
// makes them anew.
std::string hashOf(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text)
        hash = (hash ^ uint8_t(c)) * 0x100000001b3ULL;
    std::ostringstream out;
    out << std::hex << hash;
    return out.str();
}

// Holds the cache's lock file while it lives.
class CacheLock {
  public:
    explicit CacheLock(const std::string& folder)
        : fd_(::open((folder + "/.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            throw std::runtime_error("cannot lock " + folder);
    }
    ~CacheLock() { ::close(fd_); }
    CacheLock(const CacheLock&) = delete;
    CacheLock& operator=(const CacheLock&) = delete;

  private:
    int fd_;
};

EncodedStream make(const Encoding& encoding) {
    const std::string folder = SPLITWICK_ENCODED_STREAMS;
    std::filesystem::create_directories(folder);
    const std::string stem =
        folder + "/" + encoding.name + "-" + hashOf(encoding.arguments + encoding.format);
    EncodedStream made{encoding.codec, stem + ".es", ""};
    const bool lpcm = encoding.codec == Codec::Lpcm;
    if (!lpcm) made.units = stem + ".units";
    // The last file renamed into place marks a stream made whole.
    const std::string last = lpcm ? made.es : made.units;

    CacheLock lock(folder);
    if (std::filesystem::exists(last)) return made;
    const std::string partial = stem + ".partial";
    const std::string command = "ffmpeg -nostdin -v error -y " + encoding.arguments + "-map 0 ";
    if (lpcm) {
        runCommand(command + "-f " + encoding.format + " '" + partial + "'");
    } else {
        runCommand(command + "-f tee '[f=" + encoding.format + "]" + partial + "|[f=framecrc]" +
                   partial + ".crc'");
        writeUnitList(partial + ".crc", partial + ".units");
        std::filesystem::rename(partial, made.es);
        std::filesystem::remove(partial + ".crc");
    }
    std::filesystem::rename(lpcm ? partial : partial + ".units", last);
    return made;
}

} // namespace

// framecrc: "#tb 0: NUM/DEN" and a line "0, DTS, PTS, DURATION, SIZE, CRC[, F=0x0][, S=...]"
// per packet; F=0x0 marks a packet that is not a key frame.
void writeUnitList(const std::string& framecrc, const std::string& units) {
    std::ifstream in(framecrc);
    std::ofstream out(units);
    int64_t offset = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#tb 0: ", 0) == 0) out << "timebase " << line.substr(7) << "\n";
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int64_t stream, dts, pts, duration, size;
        char comma;
        fields >> stream >> comma >> dts >> comma >> pts >> comma >> duration >> comma >> size;
        if (!fields) throw std::runtime_error("unexpected framecrc line: " + line);
        out << offset << ' ' << size << ' ' << pts << ' ' << dts
            << (line.find("F=0x0") == std::string::npos ? " key\n" : "\n");
        offset += size;
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + units);
}

const EncodedStream& encoded(Encoded which) {
    static std::map<Encoded, EncodedStream> made;
    if (!made.count(which)) made.emplace(which, make(encodingOf(which)));
    return made.at(which);
}

maker::EsRecipe recipeOf(const EncodedTitle& title) {
    maker::EsRecipe recipe;
    recipe.ptsBase = title.ptsBase;
    recipe.parts = title.parts;
    for (const TitleStream& s : title.streams) {
        const EncodedStream& input = encoded(s.input);
        maker::EsStream stream{input.codec, 0, input.es, input.units, s.startMs * 90};
        stream.id = maker::nextFreeId(input.codec, recipe.streams);
        recipe.streams.push_back(stream);
    }
    return recipe;
}

maker::MadeEsEvo makeEncodedEvo(const EncodedTitle& title, const std::string& path,
                                const std::string& expectFolder) {
    return maker::makeEsEvo(recipeOf(title), path, expectFolder);
}

maker::MadeEsEvo makeLayeredTitle(EncodedTitle title, const std::string& folder,
                                  const std::string& first, const std::string& second,
                                  const std::string& expectFolder) {
    title.parts = 2;
    std::filesystem::create_directories(expectFolder);
    maker::MadeEsEvo made = makeEncodedEvo(title, folder + "/LAYER_1.EVO", expectFolder);
    std::filesystem::rename(folder + "/LAYER_1.EVO", folder + "/" + first + ".EVO");
    std::filesystem::rename(folder + "/LAYER_2.EVO", folder + "/" + second + ".EVO");
    return made;
}

} // namespace splitwick::testing
