// splitwick-cli's failures as a script meets them: --json answers with one object also when a
// run fails, and requests that cannot succeed are refused before any work.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>

#include "cli_program.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

struct MadeFeature {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    MadeFeature() {
        runCommand(std::string(SPLITWICK_MAKE_EVO) + " --out '" + evo + "' --size 1M");
    }
};

QJsonObject jsonOf(const std::string& out) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return document.object();
}

// A failure printed nothing on stdout: a script parsing it got an empty document.
TEST(CliJsonFailures, AFailedRunStillPrintsOneObject) {
    MadeFeature made;
    const std::string missing = made.dir / "MISSING.EVO";
    const struct {
        std::vector<std::string> args;
        int exit;
    } cases[] = {
        {{"read", missing, "--json"}, 1},
        {{"demux", missing, "--json", "-q"}, 1},
        {{"rebuild", made.evo, "--json", "-q", "--out", made.evo}, 1},
        {{"xpl", made.dir / "VPLST000.XPL", "--json"}, 1},
        {{"demux", made.evo, "--json", "--streams", "bogus"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exit);
        const QJsonObject json = jsonOf(run.out);
        EXPECT_EQ(json.value("exit").toInt(), c.exit);
        const std::string error = json.value("error").toString().toStdString();
        EXPECT_FALSE(error.empty());
        // stderr tells the same error as ever.
        EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
    }
}

// A missing --out was told as "Cannot create file" of an output inside it, after the reads.
TEST(CliFailsEarly, AMissingOutputFolderIsNamedAndNotCreated) {
    MadeFeature made;
    const std::string missing = made.dir / "missing";
    for (const char* command : {"demux", "rebuild", "mkv"}) {
        SCOPED_TRACE(command);
        const auto run = cli({command, made.evo, "--out", missing});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "Output folder \"" + missing + "\" does not exist.\n");
        EXPECT_EQ(run.out, ""); // before the read: not even "Opening file"
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
}

} // namespace
} // namespace splitwick::testing
