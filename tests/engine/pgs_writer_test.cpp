// The display sets of the PGS writer, segment by segment: what a player needs to show each
// subpicture at its time, its forced flag, its fades and its end, with entry 255 moved.
#include "engine/pgs_writer.h"
#include "support/memory_output.h"
#include "support/subpicture_bitmap.h"

#include <gtest/gtest.h>

namespace splitwick {
namespace {

using Bytes = splitwick::testing::MemoryOutput;

struct Segment {
    uint32_t pts;
    uint8_t type;
    std::vector<uint8_t> body;
};

std::vector<Segment> segmentsOf(const std::vector<uint8_t>& b) {
    std::vector<Segment> out;
    for (size_t at = 0; at < b.size();) {
        EXPECT_EQ(b[at], 'P');
        EXPECT_EQ(b[at + 1], 'G');
        const uint32_t pts = uint32_t(b[at + 2]) << 24 | uint32_t(b[at + 3]) << 16 |
                             uint32_t(b[at + 4]) << 8 | b[at + 5];
        const size_t size = size_t(b[at + 11]) << 8 | b[at + 12];
        out.push_back(
            {pts,
             b[at + 10],
             {b.begin() + std::ptrdiff_t(at + 13), b.begin() + std::ptrdiff_t(at + 13 + size)}});
        at += 13 + size;
    }
    return out;
}

// The types of the segments in order, and their times.
std::vector<std::pair<uint32_t, int>> typesOf(const std::vector<Segment>& segments) {
    std::vector<std::pair<uint32_t, int>> out;
    for (const Segment& s : segments)
        out.emplace_back(s.pts, s.type);
    return out;
}

Subpicture picture(int width, int height, uint8_t colour) {
    Subpicture p;
    p.x = 30;
    p.y = 900;
    p.width = width;
    p.height = height;
    testing::setBitmap(p, std::vector<uint8_t>(size_t(width) * size_t(height), colour));
    for (size_t i = 0; i < 256; ++i)
        p.palette[i] = {uint8_t(i), 100, 150, 255};
    p.start = 1024;
    p.end = 10 * 1024;
    return p;
}

constexpr int PCS = 0x16, WDS = 0x17, PDS = 0x14, ODS = 0x15, END = 0x80;

TEST(PgsWriter, ADisplaySetAtTheStartAndAClearingSetAtTheEnd) {
    Bytes out;
    PgsWriter writer(out);
    Subpicture p = picture(7, 3, 255);
    p.forced = true;
    writer.add(p, 90000);
    writer.finish();
    const auto segments = segmentsOf(out.bytes);
    const uint32_t start = 90000 + 1024, end = 90000 + 10240;
    EXPECT_EQ(typesOf(segments), (std::vector<std::pair<uint32_t, int>>{{start, PCS},
                                                                        {start, WDS},
                                                                        {start, PDS},
                                                                        {start, ODS},
                                                                        {start, END},
                                                                        {end, PCS},
                                                                        {end, WDS},
                                                                        {end, END}}));
    // Canvas 1920 x 1080, epoch start, one object at (30, 900), forced.
    EXPECT_EQ(segments[0].body, (std::vector<uint8_t>{0x07, 0x80, 0x04, 0x38, 0x10, 0, 1, 0x80, 0,
                                                      0, 1, 0, 0, 0, 0x40, 0, 30, 3, 132}));
    // Entry 255 shows nothing in PGS: its colour moved to 254, unchanged Y, Cr, Cb and alpha.
    EXPECT_EQ(segments[2].body, (std::vector<uint8_t>{0, 0, 254, 255, 100, 150, 255}));
    // 3 lines of a 7-pixel run of colour 254 and the line's end.
    const std::vector<uint8_t> line = {0, 0x80 | 7, 254, 0, 0};
    std::vector<uint8_t> object = {0, 0, 0, 0xC0, 0, 0, 4 + 15, 0, 7, 0, 3};
    for (int i = 0; i < 3; ++i)
        object.insert(object.end(), line.begin(), line.end());
    EXPECT_EQ(segments[3].body, object);
    // No object shown.
    EXPECT_EQ(segments[5].body,
              (std::vector<uint8_t>{0x07, 0x80, 0x04, 0x38, 0x10, 0, 2, 0, 0, 0, 0}));
}

TEST(PgsWriter, FadeStepsArePaletteUpdates) {
    Bytes out;
    PgsWriter writer(out);
    Subpicture p = picture(4, 2, 9);
    FadeStep fade{5 * 1024, {}};
    fade.alpha.fill(128);
    p.fades = {fade};
    writer.add(p, 0);
    writer.finish();
    const auto segments = segmentsOf(out.bytes);
    ASSERT_EQ(segments.size(), 5u + 3 + 3);
    EXPECT_EQ(typesOf(segments)[5], (std::pair<uint32_t, int>{5 * 1024, PCS}));
    // Normal state, palette update, the object again; palette version 1 with the new alpha.
    EXPECT_EQ(segments[5].body[7], 0);
    EXPECT_EQ(segments[5].body[8], 0x80);
    EXPECT_EQ(segments[5].body[10], 1);
    EXPECT_EQ(segments[6].body, (std::vector<uint8_t>{0, 1, 9, 9, 100, 150, 128}));
}

TEST(PgsWriter, ALargeObjectIsSplitOverSegments) {
    Bytes out;
    PgsWriter writer(out);
    // Single pixels of alternating colours: two bytes a pixel pair, well over one segment.
    Subpicture p = picture(1920, 40, 1);
    for (size_t i = 0; i < p.runs.size(); i += 2)
        p.runs[i].colour = 2;
    writer.add(p, 0);
    writer.finish();
    std::vector<uint8_t> rle;
    std::vector<uint8_t> flags;
    for (const Segment& s : segmentsOf(out.bytes)) {
        if (s.type != ODS) continue;
        flags.push_back(s.body[3]);
        const size_t head = s.body[3] & 0x80 ? 11 : 4;
        rle.insert(rle.end(), s.body.begin() + std::ptrdiff_t(head), s.body.end());
    }
    ASSERT_EQ(flags.size(), 2u);
    EXPECT_EQ(flags, (std::vector<uint8_t>{0x80, 0x40}));
    std::vector<uint8_t> line;
    for (int x = 0; x < 1920; ++x)
        line.push_back(x % 2 == 0 ? 2 : 1);
    line.insert(line.end(), {0, 0});
    ASSERT_EQ(rle.size(), 40u * line.size());
    for (size_t at = 0; at < rle.size(); at += line.size())
        EXPECT_TRUE(std::equal(line.begin(), line.end(), rle.begin() + std::ptrdiff_t(at))) << at;
}

TEST(PgsWriter, ALaterSubpictureCutsTheOneBeforeShort) {
    Bytes out;
    PgsWriter writer(out);
    Subpicture p = picture(4, 2, 9);
    writer.add(p, 0);
    writer.add(p, 5 * 1024); // starts at 6 x 1024, before the first one's end at 10 x 1024
    writer.finish();
    std::vector<uint32_t> compositions;
    for (const Segment& s : segmentsOf(out.bytes))
        if (s.type == PCS) compositions.push_back(s.pts);
    EXPECT_EQ(compositions, (std::vector<uint32_t>{1024, 6 * 1024, 15 * 1024}));
}

} // namespace
} // namespace splitwick
