#include "es_expected_data.h"

#include <fstream>
#include <optional>
#include <stdexcept>

#include "engine/path_parts.h"
#include "scan_record.h"

namespace splitwick::maker {

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char Hex[] = "0123456789abcdef";
            out += "\\u00";
            out += Hex[c >> 4];
            out += Hex[c & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <typename T> std::string numberOrNull(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "null";
}

void writeStreams(std::ostream& out, const EsRecipe& recipe, const PartTiming& part) {
    out << "\"streams\": [";
    for (size_t i = 0; i < recipe.streams.size(); ++i) {
        const StreamTiming& s = part.streams[i];
        out << (i ? ",\n" : "\n") << "    {\"box\": " << quoted(s.box.jsonName())
            << ", \"first_pts\": " << numberOrNull(s.firstPts)
            << ", \"delay_ms\": " << numberOrNull(s.delayMs) << ", \"es_begin\": " << s.esBegin
            << ", \"es_end\": " << s.esEnd << "}";
    }
    out << "]";
}

} // namespace

std::string expectedDataPath(const std::string& evoPath) {
    return splitPath(evoPath).folder + stemOf(evoPath) + ".expected.json";
}

void writeExpectedData(const EsRecipe& recipe, const MadeEsEvo& made, const std::string& path) {
    std::ofstream out(path, std::ios::trunc);
    out << "{\"video_frame_rate\": " << quoted(made.videoFrameRate)
        << ",\n \"pts_base\": " << recipe.ptsBase << ",\n \"streams\": [";
    for (size_t i = 0; i < recipe.streams.size(); ++i) {
        const EsStream& s = recipe.streams[i];
        out << (i ? ",\n" : "\n")
            << "  {\"box\": " << quoted(made.parts[0].streams[i].box.jsonName())
            << ", \"codec\": " << quoted(esCodecName(s.codec)) << ", \"id\": " << int(s.id)
            << ", \"es\": " << quoted(s.es) << ", \"start_ticks\": " << s.start << "}";
    }
    out << "],\n \"parts\": [";
    for (size_t p = 0; p < made.parts.size(); ++p) {
        const PartTiming& part = made.parts[p];
        out << (p ? ",\n" : "\n") << "  {\"file\": " << quoted(made.evo.parts[p].path)
            << ", \"reference_pts\": " << numberOrNull(part.referencePts)
            << ", \"last_video_pts\": " << numberOrNull(part.lastVideoPts) << ",\n   ";
        writeStreams(out, recipe, part);
        out << "}";
    }
    out << "]}\n";
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

} // namespace splitwick::maker
