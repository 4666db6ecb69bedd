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

QJsonArray textArray(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& t : texts)
        array.append(text(t));
    return array;
}

// JSON objects here are assembled member by member: a QJsonObject would sort the members by
// name, and these keep the order in which they are documented.
std::string member(const std::string& name, const std::string& value) {
    return "\"" + name + "\":" + value;
}

} // namespace

std::string summaryJson(const Session& session, const std::vector<std::string>& log) {
    QJsonArray streams;
    for (Box box : streamBoxes()) {
        if (!session.controls.boxEnabled(box)) continue;
        streams.append(QJsonObject{{"box", text(boxName(box))},
                                   {"caption", text(session.controls.caption(box))},
                                   {"id", session.state.StreamTable[tableEntry(box)]}});
    }
    const auto& frames = session.state.FrameCount;
    return "{" + member("log", compact(textArray(log))) + "," +
           member("streams", compact(streams)) + "," +
           member("frames", compact(QJsonArray{qint64(frames[0]), qint64(frames[1])})) + "," +
           member("cancelled", session.state.Cancelled ? "true" : "false") + "}";
}

std::string playlistJson(const PlainControls& controls, const PlainPlaylistView& view,
                         const std::vector<std::string>& log, bool titleFound) {
    std::string tree;
    for (const TreeNode& node : view.tree.nodes)
        tree += (tree.empty() ? "" : ",") + member(node.text, compact(textArray(node.children)));
    QJsonArray boxes;
    for (Box box : allBoxes()) {
        if (!controls.boxEnabled(box)) continue;
        boxes.append(QJsonObject{{"box", text(boxName(box))},
                                 {"caption", text(controls.caption(box))},
                                 {"hint", text(controls.hint(box))}});
    }
    return "{" + member("log", compact(textArray(log))) + "," +
           member("memo", compact(textArray(view.memo))) + "," + member("tree", "{" + tree + "}") +
           "," + member("boxes", compact(boxes)) + "," +
           member("title_found", titleFound ? "true" : "false") + "}";
}

} // namespace splitwick::cli
