// read --json and demux --json give the timing the test-file maker laid out in a split title of
// encoded streams: the title's start at the top, then each part.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "support/encoded_streams.h"
#include "support/process.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

QJsonObject timingOf(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {SPLITWICK_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProcessResult result = runProcess(command);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.out))
        .object()["timing"]
        .toObject();
}

// Each stream of the part as the maker made it, in box order, which is the recipe's here.
void expectStreams(const QJsonArray& streams, const maker::PartTiming& made) {
    ASSERT_EQ(streams.size(), qsizetype(made.streams.size()));
    for (qsizetype i = 0; i < streams.size(); ++i) {
        const QJsonObject stream = streams[i].toObject();
        const maker::StreamTiming& expected = made.streams[size_t(i)];
        SCOPED_TRACE(expected.box.jsonName());
        EXPECT_EQ(stream["box"].toString().toStdString(), expected.box.jsonName());
        EXPECT_EQ(stream["first_pts"].toInteger(), qint64(*expected.firstPts));
        EXPECT_EQ(stream["delay_ms"].toInteger(), *expected.delayMs);
    }
}

TEST(TimingJson, ReadGivesTheFirstPartDemuxEachPart) {
    TempFolder folder;
    const maker::MadeEsEvo made = makeEncodedEvo(
        {{{Encoded::H264At24000_1001}, {Encoded::Ac3, 37}, {Encoded::Eac3, -50}}, 90000, 2},
        folder / "FEATURE_1.EVO");
    const std::string evo = made.evo.parts[0].path;

    const QJsonObject read = timingOf({"read", evo, "--json", "-q"});
    EXPECT_EQ(read["video_frame_rate"].toString(), "24000/1001");
    expectStreams(read["streams"].toArray(), made.parts[0]);
    ASSERT_EQ(read["parts"].toArray().size(), 1);

    const QJsonObject demuxed = timingOf({"demux", evo, "--out", folder.path(), "--json", "-q"});
    expectStreams(demuxed["streams"].toArray(), made.parts[0]);
    const QJsonArray parts = demuxed["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    for (int p = 0; p < 2; ++p) {
        const QJsonObject part = parts[p].toObject();
        EXPECT_EQ(part["file"].toString(), p == 0 ? "FEATURE_1.EVO" : "FEATURE_2.EVO");
        EXPECT_EQ(part["video_frame_rate"].toString(), "24000/1001");
        EXPECT_EQ(part["reference_pts"].toInteger(), qint64(*made.parts[p].referencePts));
        expectStreams(part["streams"].toArray(), made.parts[p]);
    }
    // The maker's cut goes on without a jump; only the second part is measured at the seam.
    EXPECT_EQ(parts[1].toObject()["seam_ms"].toInteger(-1), 0);
    EXPECT_FALSE(parts[0].toObject().contains("seam_ms"));
    EXPECT_TRUE(parts[1].toObject()["streams"].toArray()[1].toObject().contains("after_seam_ms"));
}

} // namespace
} // namespace splitwick::testing
