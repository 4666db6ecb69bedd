#include "summary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace splitwick::cli {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::string compact(const QJsonArray& array) {
    return QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

std::string summaryJson(const Session& session, const std::vector<std::string>& log) {
    QJsonArray lines;
    for (const std::string& line : log)
        lines.append(text(line));
    QJsonArray streams;
    for (Box box : streamBoxes()) {
        if (!session.controls.boxEnabled(box)) continue;
        streams.append(QJsonObject{{"box", text(boxName(box))},
                                   {"caption", text(session.controls.caption(box))},
                                   {"id", session.state.StreamTable[tableEntry(box)]}});
    }
    const auto& frames = session.state.FrameCount;
    // Assembled member by member: a QJsonObject would sort the members by name.
    return "{\"log\":" + compact(lines) + ",\"streams\":" + compact(streams) +
           ",\"frames\":" + compact(QJsonArray{frames[0], frames[1]}) +
           ",\"cancelled\":" + (session.state.Cancelled ? "true" : "false") + "}";
}

} // namespace splitwick::cli
