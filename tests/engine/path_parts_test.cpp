#include <gtest/gtest.h>

#include "engine/path_parts.h"

namespace splitwick {
namespace {

// The folder keeps its delimiter: output names are the folder joined with a new name, and a
// folder cut before the "/" would put them beside it.
TEST(SplitPath, TheFolderKeepsItsDelimiterAndTheNameIsAfterTheLastOne) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"A.EVO", "", "A.EVO"},
        {"/A.EVO", "/", "A.EVO"},
        {"dvd/HVDVD_TS/A.EVO", "dvd/HVDVD_TS/", "A.EVO"},
        {"dvd//A.EVO", "dvd//", "A.EVO"},
        {"dvd/HVDVD_TS/", "dvd/HVDVD_TS/", ""},
        {"dvd/..", "dvd/", ".."},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const PathParts parts = splitPath(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    }
}

} // namespace
} // namespace splitwick
