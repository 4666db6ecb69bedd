#include "settings_store.h"

#include <charconv>

namespace splitwick {

namespace {

constexpr std::string_view IntegerType = "int";
constexpr std::string_view StringType = "string";
constexpr std::string_view BinaryType = "binary";

JobError namedError(std::string_view what, std::string_view name) {
    return JobError(std::string(what) + " '" + std::string(name) + "'");
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

SettingsStore SettingsStore::parse(std::string_view text) {
    SettingsStore store;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        const std::string_view typed = line.substr(equals + 1);
        const size_t colon = typed.find(':');
        // A value without a type is kept with an empty one, which no read accepts.
        Value value = colon == std::string_view::npos ? Value{"", std::string(typed)}
                                                      : Value{std::string(typed.substr(0, colon)),
                                                              std::string(typed.substr(colon + 1))};
        const std::string_view name = line.substr(0, equals);
        store.write(name, value.type, std::move(value.data));
    }
    return store;
}

std::string SettingsStore::text() const {
    std::string out = "# Splitwick settings: NAME=TYPE:VALUE, one value a line\n";
    for (const auto& [name, value] : values_)
        out += name + "=" + (value.type.empty() ? "" : value.type + ":") + value.data + "\n";
    return out;
}

bool SettingsStore::has(std::string_view name) const {
    return find(name) != nullptr;
}

int32_t SettingsStore::readInteger(std::string_view name) const {
    const std::string& data = dataOf(name, IntegerType);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), value);
    if (error != std::errc() || end != data.data() + data.size()) throw failedToGetData(name);
    return value;
}

std::string SettingsStore::readString(std::string_view name) const {
    return unescape(dataOf(name, StringType));
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

const SettingsStore::Value* SettingsStore::find(std::string_view name) const {
    for (const auto& [valueName, value] : values_)
        if (valueName == name) return &value;
    return nullptr;
}

const std::string& SettingsStore::dataOf(std::string_view name, std::string_view type) const {
    const Value* value = find(name);
    if (value == nullptr) throw failedToGetData(name);
    if (value->type != type) throw invalidDataType(name);
    return value->data;
}

void SettingsStore::write(std::string_view name, std::string_view type, std::string data) {
    for (auto& [valueName, value] : values_) {
        if (valueName == name) {
            value = Value{std::string(type), std::move(data)};
            return;
        }
    }
    values_.emplace_back(std::string(name), Value{std::string(type), std::move(data)});
}

} // namespace splitwick
