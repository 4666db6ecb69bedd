#include "matroska_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "test_files.h"

namespace splitwick::testing {

std::ostream& operator<<(std::ostream& out, const MkvTrack& t) {
    return out << t.codecId << " " << t.language << " \"" << t.name << "\""
               << (t.isDefault ? " default" : "") << (t.commentary ? " commentary" : "")
               << (t.visuallyImpaired ? " visually-impaired" : "")
               << (t.hearingImpaired ? " hearing-impaired" : "") << (t.forced ? " forced" : "");
}

MkvFile identifyMkv(const std::string& path) {
    const QJsonObject json =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(runCommand("mkvmerge -J " + inQuotes(path))))
            .object();
    MkvFile file;
    file.title = json["container"]["properties"]["title"].toString().toStdString();
    file.chapters = json["chapters"][0]["num_entries"].toInt();
    for (const QJsonValue& track : json["tracks"].toArray()) {
        const QJsonObject p = track["properties"].toObject();
        file.tracks.push_back(
            {p["codec_id"].toString().toStdString(), p["language"].toString().toStdString(),
             p["track_name"].toString().toStdString(), p["default_track"].toBool(),
             p["flag_commentary"].toBool(), p["flag_visual_impaired"].toBool(),
             p["flag_hearing_impaired"].toBool(), p["forced_track"].toBool()});
    }
    file.videoDefaultDurationNs = json["tracks"][0]["properties"]["default_duration"].toInteger();
    return file;
}

std::string inQuotes(const std::string& path) {
    return "'" + path + "'";
}

std::vector<double> startTimesMs(const std::string& path) {
    std::vector<double> starts;
    for (const std::string& line : outputLines(
             "ffprobe -v error -show_entries stream=start_time -of csv=p=0 " + inQuotes(path)))
        starts.push_back(std::stod(line) * 1000);
    return starts;
}

std::vector<double> packetTimesMs(const std::string& mkv, const std::string& track) {
    std::vector<double> times;
    for (const std::string& line :
         outputLines("ffprobe -v error -select_streams " + track +
                     " -show_entries packet=pts_time -of csv=p=0 " + inQuotes(mkv)))
        times.push_back(std::stod(line) * 1000);
    return times;
}

std::string decodingErrors(const std::string& mkv) {
    return runCommand("ffmpeg -nostdin -v error -i " + inQuotes(mkv) + " -map 0 -f null - 2>&1");
}

std::string fromMkv(const std::string& mkv, const std::string& map) {
    return "-i " + inQuotes(mkv) + " -map " + map;
}

std::string elementary(const char* format, Encoded input) {
    return std::string("-f ") + format + " -i " + inQuotes(encoded(input).es);
}

} // namespace splitwick::testing
