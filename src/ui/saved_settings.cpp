#include "saved_settings.h"

#include <bit>
#include <chrono>
#include <variant>

namespace splitwick {

namespace {

using Member =
    std::variant<std::optional<int32_t> SavedSettings::*,
                 std::optional<std::string> SavedSettings::*, std::optional<bool> SavedSettings::*>;

struct Setting {
    const char* name;
    Member member;
    bool placement = false; // kept as stored while the window is maximised
};

constexpr Setting WindowState{"WindowState", &SavedSettings::windowState};
constexpr Setting Top{"Top", &SavedSettings::top, true};
constexpr Setting Left{"Left", &SavedSettings::left, true};
constexpr Setting Width{"Width", &SavedSettings::width, true};
constexpr Setting Height{"Height", &SavedSettings::height, true};
constexpr Setting TreeWidth{"TreeWidth", &SavedSettings::treeWidth};
constexpr Setting AudioExt{"AudioExt", &SavedSettings::audioExt};
constexpr Setting VideoExt{"VideoExt", &SavedSettings::videoExt};
constexpr Setting SubExt{"SubExt", &SavedSettings::subExt};
constexpr Setting Workdir{"Workdir", &SavedSettings::workdir};
constexpr Setting EVOdir{"EVOdir", &SavedSettings::evoDir};
constexpr Setting XPLdir{"XPLdir", &SavedSettings::xplDir};
constexpr Setting Continue{"Continue", &SavedSettings::continueWith};
constexpr Setting FastCheck{"FastCheck", &SavedSettings::fastCheck};
constexpr Setting CountFrames{"CountFrames", &SavedSettings::countFrames};
constexpr Setting LpcmWav{"LpcmWav", &SavedSettings::lpcmWav};
constexpr Setting ExtByCodec{"ExtByCodec", &SavedSettings::extByCodec};
constexpr Setting SubPgs{"SubPgs", &SavedSettings::subPgs};
constexpr Setting MuxMkv{"MuxMkv", &SavedSettings::muxMkv};
constexpr Setting KeepStreams{"KeepStreams", &SavedSettings::keepStreams};
constexpr Setting LpcmFlac{"LpcmFlac", &SavedSettings::lpcmFlac};
constexpr Setting DtsCore{"DtsCore", &SavedSettings::dtsCore};
constexpr Setting ClusterCrc{"ClusterCrc", &SavedSettings::clusterCrc};

constexpr std::array<const Setting*, 23> ReadOrder = {
    &Width,      &Height,  &Top,    &Left,        &WindowState, &TreeWidth, &AudioExt,    &VideoExt,
    &SubExt,     &Workdir, &EVOdir, &XPLdir,      &Continue,    &FastCheck, &CountFrames, &LpcmWav,
    &ExtByCodec, &SubPgs,  &MuxMkv, &KeepStreams, &LpcmFlac,    &DtsCore,   &ClusterCrc};

constexpr std::array<const Setting*, 23> WriteOrder = {
    &WindowState, &Top,     &Left,   &Width,       &Height,   &TreeWidth, &AudioExt,    &VideoExt,
    &SubExt,      &Workdir, &EVOdir, &XPLdir,      &Continue, &FastCheck, &CountFrames, &LpcmWav,
    &ExtByCodec,  &SubPgs,  &MuxMkv, &KeepStreams, &LpcmFlac, &DtsCore,   &ClusterCrc};

const char* const Install = "Install";

void readInto(const SettingsStore& store, const char* name, std::optional<int32_t>& value) {
    value = store.readInteger(name);
}
void readInto(const SettingsStore& store, const char* name, std::optional<std::string>& value) {
    value = store.readPath(name);
}
void readInto(const SettingsStore& store, const char* name, std::optional<bool>& value) {
    value = store.readBool(name);
}

void writeFrom(SettingsStore& store, const char* name, int32_t value) {
    store.writeInteger(name, value);
}
void writeFrom(SettingsStore& store, const char* name, const std::string& value) {
    store.writeString(name, value);
}
void writeFrom(SettingsStore& store, const char* name, bool value) {
    store.writeBool(name, value);
}

// Days from 1 January 1970 to the given civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

const char* const FirstWritten = WriteOrder.front()->name;

ReadSettings readSettings(const SettingsStore& store) {
    ReadSettings read;
    for (const Setting* setting : ReadOrder) {
        if (!store.has(setting->name)) continue;
        try {
            std::visit([&](auto member) { readInto(store, setting->name, read.values.*member); },
                       setting->member);
        } catch (const JobError& error) {
            read.error = error;
            break;
        }
    }
    return read;
}

void writeSettings(SettingsStore& store, const SavedSettings& settings, double now) {
    const bool maximised = settings.windowState == Maximised;
    for (const Setting* setting : WriteOrder) {
        if (setting->placement && maximised) continue;
        std::visit(
            [&](auto member) {
                if (const auto& value = settings.*member) writeFrom(store, setting->name, *value);
            },
            setting->member);
    }
    if (!store.has(Install)) store.writeBinary(Install, doubleBytes(now));
}

double dateTimeValue(const std::tm& local, int milliseconds) {
    const int64_t days = daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) -
                         daysFromCivil(1899, 12, 30);
    const double seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return double(days) + (seconds + milliseconds / 1000.0) / 86400.0;
}

double localDateTimeNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto milliseconds =
        duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return dateTimeValue(local, int(milliseconds.count()));
}

std::array<uint8_t, 8> doubleBytes(double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    std::array<uint8_t, 8> bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[i] = uint8_t(bits >> (8 * i));
    return bytes;
}

} // namespace splitwick
