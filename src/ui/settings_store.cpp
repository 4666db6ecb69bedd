#include "settings_store.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace splitwick {

namespace {

constexpr std::string_view IntegerType = "int";
constexpr std::string_view StringType = "string";
constexpr std::string_view BinaryType = "binary";

JobError namedError(std::string_view what, std::string_view name) {
    return JobError(JobErrorKind::Settings, std::string(what) + " '" + std::string(name) + "'");
}

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescape(std::string_view data) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        const char next = i + 1 < data.size() ? data[i + 1] : '\0';
        if (data[i] == '\\' && (next == '\\' || next == 'n' || next == 'r')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            out += data[i];
        }
    }
    return out;
}

struct ValueLine {
    std::string_view name, type, data;
};

// What a line of the file holds when it holds a value: "NAME=TYPE:DATA", or "NAME=DATA" of an
// empty type, which no read accepts.
std::optional<ValueLine> valueLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) return {};
    const std::string_view name = line.substr(0, equals);
    const std::string_view typed = line.substr(equals + 1);
    const size_t colon = typed.find(':');
    if (colon == std::string_view::npos) return ValueLine{name, {}, typed};
    return ValueLine{name, typed.substr(0, colon), typed.substr(colon + 1)};
}

} // namespace

JobError invalidDataType(std::string_view name) {
    return namedError("Invalid data type for", name);
}
JobError failedToGetData(std::string_view name) {
    return namedError("Failed to get data for", name);
}
JobError failedToSetData(std::string_view name) {
    return namedError("Failed to set data for", name);
}

SettingsStore::SettingsStore()
    : lines_{"# Splitwick settings: NAME=TYPE:VALUE, one value a line"} {}

SettingsStore SettingsStore::parse(std::string_view text) {
    SettingsStore store;
    store.lines_.clear(); // the file's own lines only
    while (!text.empty()) {
        const size_t end = text.find('\n');
        store.lines_.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (const std::optional<ValueLine> value = valueLine(store.lines_.back()))
            store.lineOf_[std::string(value->name)] = store.lines_.size() - 1;
    }
    return store;
}

std::string SettingsStore::text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

bool SettingsStore::has(std::string_view name) const {
    return lineOf_.contains(std::string(name));
}

int32_t SettingsStore::readInteger(std::string_view name) const {
    const std::string_view data = dataOf(name, IntegerType);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), value);
    if (error != std::errc() || end != data.data() + data.size()) throw failedToGetData(name);
    return value;
}

std::string SettingsStore::readString(std::string_view name) const {
    return unescape(dataOf(name, StringType));
}

std::string SettingsStore::readPath(std::string_view name) const {
    std::string path = readString(name);
    if (std::ranges::any_of(path, [](char c) { return static_cast<unsigned char>(c) < 32; }))
        throw failedToGetData(name);
    return path;
}

void SettingsStore::writeInteger(std::string_view name, int32_t value) {
    write(name, IntegerType, std::to_string(value));
}

void SettingsStore::writeString(std::string_view name, std::string_view value) {
    write(name, StringType, escape(value));
}

void SettingsStore::writeBinary(std::string_view name, const std::array<uint8_t, 8>& bytes) {
    static const char Hex[] = "0123456789abcdef";
    std::string data;
    for (uint8_t b : bytes) {
        data += Hex[b >> 4];
        data += Hex[b & 0x0F];
    }
    write(name, BinaryType, data);
}

std::string_view SettingsStore::dataOf(std::string_view name, std::string_view type) const {
    const auto at = lineOf_.find(std::string(name));
    if (at == lineOf_.end()) throw failedToGetData(name);
    const std::optional<ValueLine> value = valueLine(lines_[at->second]);
    if (value->type != type) throw invalidDataType(name);
    return value->data;
}

void SettingsStore::write(std::string_view name, std::string_view type, std::string_view data) {
    std::string line = std::string(name) + "=" + std::string(type) + ":" + std::string(data);
    const auto [at, added] = lineOf_.try_emplace(std::string(name), lines_.size());
    if (added)
        lines_.push_back(std::move(line));
    else
        lines_[at->second] = std::move(line);
}

} // namespace splitwick
