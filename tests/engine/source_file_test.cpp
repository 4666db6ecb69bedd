#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/job_error.h"
#include "engine/source_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

Bytes counting(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = uint8_t(i * 7 + i / 251);
    return bytes;
}

TEST(SourceFile, PackSizedReadsGiveEveryByteInOrderAndAShortLastRead) {
    TempFolder folder;
    const Bytes bytes = counting(5 * 65536 + 3000);
    writeBytes(folder / "A.EVO", bytes);
    OpenFiles files;
    SourceFile source(folder / "A.EVO", files);
    Bytes read;
    uint8_t pack[2048];
    while (source.position() < source.size()) {
        const size_t n = source.read(pack, sizeof pack);
        ASSERT_EQ(n, std::min<size_t>(sizeof pack, bytes.size() - read.size()));
        read.insert(read.end(), pack, pack + n);
        ASSERT_EQ(source.position(), int64_t(read.size()));
    }
    EXPECT_EQ(read, bytes);
}

TEST(SourceFile, AFileThatShrinksUnderPackReadsEndsWithAnErrorNamingIt) {
    TempFolder folder;
    writeBytes(folder / "A.EVO", counting(4 * 65536));
    OpenFiles files;
    SourceFile source(folder / "A.EVO", files);
    uint8_t pack[2048];
    source.read(pack, sizeof pack);
    ASSERT_EQ(::truncate((folder / "A.EVO").c_str(), 65536), 0);
    try {
        while (source.position() < source.size())
            source.read(pack, sizeof pack);
        FAIL() << "no error";
    } catch (const JobError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot read file \"" + folder / "A.EVO", 0), 0u);
    }
    EXPECT_EQ(source.position(), 65536);
}

TEST(SourceFileRegression, SourcesThatAreNotRegularFilesAreRefused) {
    // A FIFO that has a writer (this test holds one end open for both), and endless devices:
    // each read "Done." having read nothing.
    TempFolder folder;
    const std::string fifo = folder / "FIFO.EVO";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int bothEnds = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(bothEnds, 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/urandom")}) {
        try {
            OpenFiles files;
            SourceFile source(path, files);
            ADD_FAILURE() << path << " was opened";
        } catch (const JobError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot open file \"" + path + "\". Not a regular file");
        }
    }
    ::close(bothEnds);
}

} // namespace
} // namespace splitwick::testing
