// Subpicture units parsed as the maker writes them from bitmaps, broken units refused with
// their reason, and a DVD-form unit shown in greys.
#include "engine/subpicture.h"

#include <gtest/gtest.h>

#include "evo_maker/spu_maker.h"
#include "support/subpicture_bitmap.h"

namespace splitwick {
namespace {

using maker::SpuUnitRecipe;

TEST(Subpicture, SyntheticUnitsComeBackAsTheyWereMade) {
    // Odd sizes, every run length, both colour codes, entry 255, forced units and fades; parsed
    // into one picture after another, as a stream's units are, so nothing of one may stay.
    Subpicture p;
    for (const SpuUnitRecipe& made : maker::syntheticSpus(12, 7, 99000)) {
        parseSubpicture(maker::spuUnit(made), p);
        EXPECT_EQ(testing::bitmapOf(p), made.bitmap.pixels);
        EXPECT_EQ(p.lineEnds.size(), size_t(made.bitmap.height));
        EXPECT_EQ(
            (std::array{p.x, p.y, p.width, p.height}),
            (std::array{made.bitmap.x, made.bitmap.y, made.bitmap.width, made.bitmap.height}));
        EXPECT_EQ(p.forced, made.forced);
        EXPECT_FALSE(p.dvdForm);
        EXPECT_EQ(p.start, made.startStm * 1024);
        EXPECT_EQ(p.end, made.endStm * 1024);
        for (size_t i = 0; i < 256; ++i) {
            const SubpictureColour expected{made.palette[3 * i], made.palette[3 * i + 1],
                                            made.palette[3 * i + 2],
                                            uint8_t(255 - made.contrast[i])};
            ASSERT_EQ(p.palette[i], expected) << i;
        }
        ASSERT_EQ(p.fades.size(), made.fades.size());
        for (size_t f = 0; f < p.fades.size(); ++f) {
            EXPECT_EQ(p.fades[f].delay, made.fades[f].stm * 1024);
            EXPECT_EQ(p.fades[f].alpha[255], 255 - made.fades[f].contrast[255]);
        }
    }
}

// A unit of one 5 x 3 bitmap, the maker's.
SpuUnitRecipe smallUnit() {
    SpuUnitRecipe u;
    u.bitmap = {100, 200, 5, 3, {1, 1, 1, 2, 255, 0, 0, 0, 0, 0, 7, 7, 7, 7, 7}};
    u.endStm = 90;
    return u;
}

size_t tableOf(const std::vector<uint8_t>& unit) {
    return size_t(unit[6]) << 24 | size_t(unit[7]) << 16 | size_t(unit[8]) << 8 | unit[9];
}

struct Broken {
    const char* reason;
    void (*breakIt)(std::vector<uint8_t>&);
};

TEST(Subpicture, BrokenUnitsAreRefusedWithTheirReason) {
    const Broken cases[] = {
        {"its size is not that of the unit", [](auto& u) { u[5] = uint8_t(u[5] + 1); }},
        {"its control table lies outside the unit", [](auto& u) { u[6] = 0x10; }},
        {"its control table loops",
         [](auto& u) {
             // The stop sequence (the last) points back to the first.
             const size_t table = tableOf(u), last = u.size() - 8;
             for (int i = 0; i < 4; ++i)
                 u[last + 2 + size_t(i)] = uint8_t(table >> (24 - 8 * i));
         }},
        {"its control table holds an unknown command", [](auto& u) { u[u.size() - 2] = 0x42; }},
        {"a control sequence lies past the unit's end",
         [](auto& u) {
             // The stop sequence's end code cut off.
             u.pop_back();
             u[5] = uint8_t(u[5] - 1);
         }},
        {"its pixels run past their field",
         [](auto& u) {
             // The bottom field's offset one byte behind the top's: the top field ends there.
             const size_t at = tableOf(u) + 6 + 1 + 769 + 257 + 7 + 1 + 4;
             u[at + 3] = 11;
         }},
        {"a field lies outside the unit",
         [](auto& u) { u[tableOf(u) + 6 + 1 + 769 + 257 + 7 + 1] = 0x7F; }},
        {"its area is empty",
         [](auto& u) {
             // x2 below x1.
             const size_t area = tableOf(u) + 6 + 1 + 769 + 257 + 1;
             u[area + 1] = 0;
             u[area + 2] = 0;
         }},
    };
    for (const Broken& c : cases) {
        std::vector<uint8_t> unit = maker::spuUnit(smallUnit());
        ASSERT_NO_THROW(parseSubpicture(unit));
        c.breakIt(unit);
        try {
            parseSubpicture(unit);
            ADD_FAILURE() << "taken: " << c.reason;
        } catch (const SubpictureError& error) {
            EXPECT_STREQ(error.what(), c.reason);
        }
    }
}

// What damage can make of a unit's times and area, which its own checks pass: shown for no time,
// or outside the plane a player shows.
TEST(Subpicture, UnitsThatCannotBeShownAreRefusedWithTheirReason) {
    struct Case {
        const char* reason;
        void (*change)(SpuUnitRecipe&);
    };
    const Case cases[] = {
        {"it ends before it is shown", [](SpuUnitRecipe& u) { u.startStm = 90; }},
        {"it ends before it is shown",
         [](SpuUnitRecipe& u) {
             u.startStm = 50;
             u.endStm = 20;
         }},
        {"its area lies outside the picture", [](SpuUnitRecipe& u) { u.bitmap.x = 1916; }},
        {"its area lies outside the picture", [](SpuUnitRecipe& u) { u.bitmap.y = 1078; }},
    };
    for (const Case& c : cases) {
        SpuUnitRecipe recipe = smallUnit();
        c.change(recipe);
        try {
            parseSubpicture(maker::spuUnit(recipe));
            ADD_FAILURE() << "taken: " << c.reason;
        } catch (const SubpictureError& error) {
            EXPECT_STREQ(error.what(), c.reason);
        }
    }
    // At the plane's edge it is still shown.
    SpuUnitRecipe edge = smallUnit();
    edge.bitmap.x = 1915;
    edge.bitmap.y = 1077;
    EXPECT_NO_THROW(parseSubpicture(maker::spuUnit(edge)));
}

TEST(Subpicture, EveryCutOfAUnitIsRefusedOrShown) {
    // Each prefix with its size set to it: refused with a reason, never read past.
    const std::vector<uint8_t> whole = maker::spuUnit(smallUnit());
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(size));
        if (size >= 6) cut[5] = uint8_t(size), cut[4] = uint8_t(size >> 8);
        EXPECT_THROW(parseSubpicture(cut), SubpictureError) << size;
    }
}

TEST(Subpicture, DvdFormIsShownInGreys) {
    // size 0x0020, table at 8 | top field: run of 2 in colour 1, colour 2, colour 3, pad |
    // bottom field: colour 0 to the line's end | STM 0, next 8 (itself), start, colours
    // (3 2 | 1 0 = A 5 | F 0), contrast (F F | F 0), area x 10-13 y 20-21, fields 4 and 6, end.
    const std::vector<uint8_t> unit = {0x00, 0x20, 0x00, 0x08, 0x96, 0x70, 0x00, 0x00,
                                       0x00, 0x00, 0x00, 0x08, 0x01, 0x03, 0xA5, 0xF0,
                                       0x04, 0xFF, 0xF0, 0x05, 0x00, 0xA0, 0x0D, 0x01,
                                       0x40, 0x15, 0x06, 0x00, 0x04, 0x00, 0x06, 0xFF};
    const Subpicture p = parseSubpicture(unit);
    EXPECT_TRUE(p.dvdForm);
    EXPECT_EQ((std::array{p.x, p.y, p.width, p.height}), (std::array{10, 20, 4, 2}));
    EXPECT_EQ(testing::bitmapOf(p), (std::vector<uint8_t>{1, 1, 2, 3, 0, 0, 0, 0}));
    EXPECT_EQ(p.palette[0], (SubpictureColour{16, 128, 128, 0}));
    EXPECT_EQ(p.palette[1], (SubpictureColour{235, 128, 128, 255}));
    EXPECT_EQ(p.palette[2], (SubpictureColour{16 + 5 * 219 / 15, 128, 128, 255}));
    EXPECT_FALSE(p.end);
}

} // namespace
} // namespace splitwick
