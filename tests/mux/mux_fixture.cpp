#include "mux_fixture.h"

#include <QEventLoop>

#include <cstdlib>
#include <filesystem>

#include "engine/lpcm_wav_file.h"

namespace splitwick::testing {

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* saved = std::getenv(name)) saved_ = saved;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (saved_)
        ::setenv(name_, saved_->c_str(), 1);
    else
        ::unsetenv(name_);
}

void MuxTest::TearDown() {
    runner.reset();
    EXPECT_EQ(fileNamesIn(optionFiles.path()), std::vector<std::string>{});
}

MuxOutcome MuxTest::run(const MuxPlan& plan, const std::function<void()>& afterStart) {
    QEventLoop loop;
    std::optional<MuxOutcome> outcome;
    runner = std::make_unique<MuxRunner>(report, [&](const MuxOutcome& ended) {
        outcome = ended;
        loop.quit();
    });
    runner->start(plan);
    if (afterStart) afterStart();
    while (!outcome)
        loop.exec();
    return *outcome;
}

MuxPlan MuxTest::planFor(const std::string& stem) const {
    MuxPlan plan;
    plan.output = folder / (stem + ".mkv");
    return plan;
}

MuxTrack track(Encoded input, Box box, MuxCodec codec, TrackLabel label, int64_t delayMs) {
    return {encoded(input).es, box, codec, std::move(label), delayMs, std::nullopt};
}

bool partialExists(const std::string& output) {
    const std::filesystem::path path(output);
    const std::string prefix = path.filename().string() + ".";
    for (const std::string& name : fileNamesIn(path.parent_path().string()))
        if (name.starts_with(prefix) && name.ends_with(".part") &&
            name.size() == prefix.size() + 6 + 5)
            return true;
    return false;
}

std::string lpcmWav(Encoded input, const std::string& path) {
    // quantization_word_length 0 (16 bits), audio_sampling_frequency 0 (48 kHz), two channels.
    constexpr LpcmHeader Stereo16At48k = {0x00, 0x01, 0x80};
    const Bytes samples = readBytes(encoded(input).es);
    OpenFiles files;
    LpcmWavFile wav(path, 0, files);
    wav.packetHeader(Stereo16At48k);
    wav.write(samples.data(), samples.size());
    wav.close();
    return path;
}

} // namespace splitwick::testing
