#include "summary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace splitwick::cli {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s);
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
    const QJsonObject summary{{"log", lines},
                              {"streams", streams},
                              {"frames", QJsonArray{frames[0], frames[1]}},
                              {"cancelled", session.state.Cancelled}};
    return QJsonDocument(summary).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace splitwick::cli
