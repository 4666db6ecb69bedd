// The settings store on any file content, and any values the window writes into it. Checks
// that every line of the file survives a parse and a save byte for byte (but the lines of the
// values written), that every value written reads back equal from the saved text, that a
// folder or extension with a control character is refused, and that reading fails, if at
// all, with one of the store's own error texts.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ui/saved_settings.h"
#include "ui/settings_store.h"

namespace {

using namespace splitwick;

// Takes values off the front of the fuzzer's input; what is left is the settings file. Missing
// bytes read as zeros.
class InputReader {
  public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int32_t integer() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return static_cast<int32_t>(value);
    }
    // A length byte (at most maxLength), then that many bytes.
    std::string text(size_t maxLength) {
        const size_t length = std::min<size_t>(byte(), maxLength);
        std::string text;
        while (text.size() < length && size_ > 0)
            text += static_cast<char>(byte());
        return text;
    }
    bool tick() { return (byte() & 1) != 0; }
    std::string rest() {
        std::string text(reinterpret_cast<const char*>(data_), size_);
        size_ = 0;
        return text;
    }

  private:
    uint8_t byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    const uint8_t* data_;
    size_t size_;
};

constexpr std::array<const char*, 23> Names = {
    "WindowState", "Top",         "Left",        "Width",   "Height",     "TreeWidth",
    "AudioExt",    "VideoExt",    "SubExt",      "Workdir", "EVOdir",     "XPLdir",
    "Continue",    "FastCheck",   "CountFrames", "LpcmWav", "ExtByCodec", "SubPgs",
    "MuxMkv",      "KeepStreams", "LpcmFlac",    "DtsCore", "ClusterCrc"};
constexpr std::array<const char*, 4> Placement = {"Top", "Left", "Width", "Height"};

void require(bool property, const char* what) {
    if (property) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    require(start == text.size(), "a saved text ends in a line feed");
    return lines;
}

bool isStoreError(const std::string& text) {
    return std::any_of(Names.begin(), Names.end(), [&](const char* name) {
        const std::string quoted = std::string(" '") + name + "'";
        return text == "Invalid data type for" + quoted ||
               text == "Failed to get data for" + quoted;
    });
}

// What a read gives: the value as text, or the error's text.
std::string outcome(const std::function<std::string()>& read) {
    try {
        return "value " + read();
    } catch (const JobError& error) {
        return std::string("error ") + error.what();
    }
}

SavedSettings valuesFrom(InputReader& in) {
    SavedSettings s;
    for (auto member : {&SavedSettings::windowState, &SavedSettings::top, &SavedSettings::left,
                        &SavedSettings::width, &SavedSettings::height, &SavedSettings::treeWidth})
        s.*member = in.integer();
    for (auto member : {&SavedSettings::audioExt, &SavedSettings::videoExt, &SavedSettings::subExt,
                        &SavedSettings::workdir, &SavedSettings::evoDir, &SavedSettings::xplDir})
        s.*member = in.text(64);
    for (auto member :
         {&SavedSettings::continueWith, &SavedSettings::fastCheck, &SavedSettings::countFrames,
          &SavedSettings::lpcmWav, &SavedSettings::extByCodec, &SavedSettings::subPgs,
          &SavedSettings::muxMkv, &SavedSettings::keepStreams, &SavedSettings::lpcmFlac,
          &SavedSettings::dtsCore, &SavedSettings::clusterCrc})
        s.*member = in.tick();
    return s;
}

void checkReadBack(const SettingsStore& saved, const SavedSettings& s) {
    const auto integer = [&](const char* name, int32_t value) {
        require(saved.readInteger(name) == value, "an integer reads back as written");
    };
    integer("WindowState", *s.windowState);
    integer("TreeWidth", *s.treeWidth);
    if (*s.windowState != Maximised) {
        integer("Top", *s.top);
        integer("Left", *s.left);
        integer("Width", *s.width);
        integer("Height", *s.height);
    }
    const auto path = [&](const char* name, const std::string& value) {
        require(saved.readString(name) == value, "a string reads back as written");
        const bool control = std::any_of(value.begin(), value.end(),
                                         [](char c) { return static_cast<unsigned char>(c) < 32; });
        require(outcome([&] { return saved.readPath(name); }) ==
                    (control ? "error Failed to get data for '" + std::string(name) + "'"
                             : "value " + value),
                "a path reads back unless it holds a control character");
    };
    path("AudioExt", *s.audioExt);
    path("VideoExt", *s.videoExt);
    path("SubExt", *s.subExt);
    path("Workdir", *s.workdir);
    path("EVOdir", *s.evoDir);
    path("XPLdir", *s.xplDir);
    require(saved.readBool("Continue") == *s.continueWith, "a tick reads back");
    require(saved.readBool("FastCheck") == *s.fastCheck, "a tick reads back");
    require(saved.readBool("CountFrames") == *s.countFrames, "a tick reads back");
    require(saved.readBool("LpcmWav") == *s.lpcmWav, "a tick reads back");
    require(saved.readBool("ExtByCodec") == *s.extByCodec, "a tick reads back");
    require(saved.readBool("SubPgs") == *s.subPgs, "a tick reads back");
    require(saved.readBool("MuxMkv") == *s.muxMkv, "a tick reads back");
    require(saved.readBool("KeepStreams") == *s.keepStreams, "a tick reads back");
    require(saved.readBool("LpcmFlac") == *s.lpcmFlac, "a tick reads back");
    require(saved.readBool("DtsCore") == *s.dtsCore, "a tick reads back");
    require(saved.readBool("ClusterCrc") == *s.clusterCrc, "a tick reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReader in(data, size);
    const SavedSettings values = valuesFrom(in);
    const std::string file = in.rest();

    SettingsStore store = SettingsStore::parse(file);
    const std::string text = store.text();
    require(text == file + (file.empty() || file.back() == '\n' ? "" : "\n"),
            "a parsed file gives back its own text");
    const ReadSettings read = readSettings(store);
    require(!read.error || isStoreError(read.error->what()), "reading fails with a store error");

    const SettingsStore before = store;
    writeSettings(store, values, 1.0);
    const std::vector<std::string> old = linesOf(text);
    const std::vector<std::string> now = linesOf(store.text());
    require(now.size() >= old.size(), "a save drops no line");
    for (size_t i = 0; i < now.size(); ++i) {
        const std::string& line = now[i];
        if (i < old.size() && line == old[i]) continue;
        const bool written = std::any_of(Names.begin(), Names.end(), [&](const char* name) {
            return line.starts_with(std::string(name) + "=");
        });
        require(written || (i >= old.size() && line.starts_with("Install=binary:")),
                "a save changes only the lines of the values it writes");
    }

    const SettingsStore saved = SettingsStore::parse(store.text());
    checkReadBack(saved, values);
    if (*values.windowState == Maximised)
        for (const char* name : Placement)
            require(outcome([&] { return std::to_string(saved.readInteger(name)); }) ==
                        outcome([&] { return std::to_string(before.readInteger(name)); }),
                    "a maximised window leaves the stored placement as it was");
    const ReadSettings reread = readSettings(saved);
    require(!reread.error || isStoreError(reread.error->what()),
            "reading fails with a store error");
    return 0;
}
