#include "boxes.h"

#include "stream_table.h"

namespace splitwick {

namespace {

struct KindInfo {
    BoxKind kind;
    int count;
    const char* namePrefix;
    int firstEntry;
    const char* noStream;
    const char* laidOut;
    const char* kindDescription;
};

constexpr std::array<KindInfo, 3> Kinds = {{
    {BoxKind::Video, 8, "cbVideo", StreamTable::VideoFirst, "No video stream", "Video stream",
     "Check the desired video stream"},
    {BoxKind::Audio, 16, "cbAudio", StreamTable::AudioFirst, "No audio stream", "Audio stream",
     "Check the desired audio streams"},
    {BoxKind::Subpicture, 16, "cbSub", StreamTable::SubpictureFirst, "No subpicture", "Subpicture",
     "Check the desired subpicture streams"},
}};

const KindInfo& info(BoxKind kind) {
    return Kinds[static_cast<int>(kind)];
}

// Video boxes carry one digit, the others two.
std::string indexText(Box box) {
    return box.kind == BoxKind::Video ? std::to_string(box.index) : twoDigits(box.index);
}

} // namespace

int boxesOfKind(BoxKind kind) {
    return info(kind).count;
}

const std::array<Box, BoxCount>& allBoxes() {
    static const auto boxes = [] {
        std::array<Box, BoxCount> all{};
        int n = 0;
        for (const KindInfo& k : Kinds)
            for (int i = 0; i < k.count; ++i)
                all[n++] = Box{k.kind, i};
        return all;
    }();
    return boxes;
}

bool isStreamBox(Box box) {
    // Subpictures 16 to 31 have a stream but no box.
    return box.index >= 0 && box.index < (box.kind == BoxKind::Video ? 2 : boxesOfKind(box.kind));
}

const std::array<Box, StreamBoxCount>& streamBoxes() {
    static const auto boxes = [] {
        std::array<Box, StreamBoxCount> some{};
        int n = 0;
        for (Box box : allBoxes())
            if (isStreamBox(box)) some[n++] = box;
        return some;
    }();
    return boxes;
}

int boxPosition(Box box) {
    int position = box.index;
    for (int k = 0; k < static_cast<int>(box.kind); ++k)
        position += Kinds[k].count;
    return position;
}

std::string boxName(Box box) {
    return info(box.kind).namePrefix + indexText(box);
}

int tableEntry(Box box) {
    return info(box.kind).firstEntry + box.index;
}

std::string labelSuffix(Box box) {
    return "." + indexText(box);
}

std::string noStreamLabel(BoxKind kind) {
    return info(kind).noStream;
}

std::string laidOutLabel(BoxKind kind) {
    return info(kind).laidOut;
}

std::string kindDescription(BoxKind kind) {
    return info(kind).kindDescription;
}

std::string twoDigits(int number) {
    std::string text = std::to_string(number);
    return number < 10 ? "0" + text : text;
}

} // namespace splitwick
