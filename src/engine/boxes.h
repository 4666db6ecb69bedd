#pragma once
#include <array>
#include <string>

namespace splitwick {

// The 40 stream check boxes: cbVideo0 to cbVideo7, cbAudio00 to cbAudio15, cbSub00 to cbSub15.
enum class BoxKind { Video, Audio, Subpicture };

struct Box {
    BoxKind kind;
    int index;
    bool operator==(const Box&) const = default;
};

constexpr int BoxCount = 40;
// cbVideo0 and cbVideo1, the audio and the subpicture boxes: those that own a stream-table
// entry and an output slot.
constexpr int StreamBoxCount = 34;

int boxesOfKind(BoxKind kind); // 8, 16, 16

// Every box in window order: video, audio, subpicture, each by index.
const std::array<Box, BoxCount>& allBoxes();
// Whether a box stands for a stream a job can write: video 0 and 1, every audio and subpicture.
bool isStreamBox(Box box);
// The boxes that stand for a stream, in the same order.
const std::array<Box, StreamBoxCount>& streamBoxes();

// The box's place in allBoxes(), 0 to 39.
int boxPosition(Box box);

// "cbVideo0", "cbAudio05", "cbSub12".
std::string boxName(Box box);

// The box's stream-table entry (1 + index, 17 + index, 33 + index).
int tableEntry(Box box);
// The end of a scanned stream's label: ".0" for video, ".00" to ".15" for audio and
// subpicture.
std::string labelSuffix(Box box);
// The label of a slot that stands for no stream: "No video stream", ...
std::string noStreamLabel(BoxKind kind);
// The label a slot has before the first reset: "Video stream", ...
std::string laidOutLabel(BoxKind kind);
// The words on a kind's streams where none of their own is given: "Check the desired video
// stream", ...
std::string kindDescription(BoxKind kind);

// "0" in front of numbers below 10.
std::string twoDigits(int number);

} // namespace splitwick
