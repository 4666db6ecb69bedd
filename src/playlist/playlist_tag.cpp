#include "playlist_tag.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "integer_text.h"

namespace splitwick {

namespace {

// How far behind the attribute's name its value may end, as the labels read it.
constexpr size_t ValueWindow = 255;

// The text behind the first occurrence of the mark, or the whole text when there is none.
std::string_view after(std::string_view text, char mark) {
    const size_t at = text.find(mark);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void skipSpaces(std::string_view& text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
}

// A name runs to the next space, "=", "/" or ">".
std::string_view takeName(std::string_view& text) {
    size_t end = 0;
    while (end < text.size() && !isSpace(text[end]) && text[end] != '=' && text[end] != '/' &&
           text[end] != '>')
        ++end;
    const std::string_view name = text.substr(0, end);
    text.remove_prefix(end);
    return name;
}

// name="value" or name='value'; false, leaving the rest unread, for anything else.
bool takeAttribute(std::string_view& text, std::pair<std::string, std::string>& attribute) {
    const std::string_view name = takeName(text);
    skipSpaces(text);
    if (name.empty() || text.empty() || text.front() != '=') return false;
    text.remove_prefix(1);
    skipSpaces(text);
    if (text.empty() || (text.front() != '"' && text.front() != '\'')) return false;
    const size_t close = text.find(text.front(), 1);
    if (close == std::string_view::npos) return false;
    attribute = {std::string(name), resolveReferences(text.substr(1, close - 1))};
    text.remove_prefix(close + 1);
    return true;
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The characters XML text may hold: a reference to any other is no character at all.
bool isXmlChar(uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The character a reference's name ("amp", "#38", "#x26") stands for.
std::optional<uint32_t> referencedCharacter(std::string_view name) {
    struct Entity {
        std::string_view name;
        char character;
    };
    static constexpr std::array<Entity, 5> Entities = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (const Entity& entity : Entities)
        if (name == entity.name) return static_cast<uint32_t>(entity.character);
    if (name.size() < 2 || name.front() != '#') return std::nullopt;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        !isXmlChar(code))
        return std::nullopt;
    return code;
}

} // namespace

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

PlaylistTag::PlaylistTag(std::string_view line) : line_(line) {
    skipSpaces(line);
    const bool endsEmpty = line.ends_with("/>");
    if (!line.starts_with('<')) return;
    line.remove_prefix(1);
    const bool closing = line.starts_with('/');
    if (closing) line.remove_prefix(1);
    // "<!--", "<!DOCTYPE", "<?xml": no element.
    if (line.starts_with('!') || line.starts_with('?')) return;
    element_ = std::string(takeName(line));
    if (element_.empty()) return;
    if (closing) {
        kind_ = Kind::Closing;
        return;
    }
    for (;;) {
        skipSpaces(line);
        std::pair<std::string, std::string> attribute;
        if (!takeAttribute(line, attribute)) break;
        attributes_.push_back(std::move(attribute));
    }
    kind_ = endsEmpty ? Kind::Empty : Kind::Opening;
}

const std::string& PlaylistTag::upper() const {
    if (!upper_) upper_ = upperAscii(line_);
    return *upper_;
}

bool PlaylistTag::mentions(std::string_view upperText) const {
    return upper().find(upperText) != std::string::npos;
}

std::optional<std::string> PlaylistTag::labelText(std::string_view name) const {
    const size_t at = upper().find(upperAscii(std::string(name)));
    if (at == std::string::npos) return std::nullopt;
    std::string_view rest = std::string_view(line_).substr(at + name.size(), ValueWindow);
    rest = after(after(rest, '='), '"');
    const size_t close = rest.find('"');
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close));
}

int32_t PlaylistTag::labelNumber(std::string_view name) const {
    return parseInteger(labelText(name).value_or("")).value_or(0);
}

void keepLabelText(const PlaylistTag& tag, std::string_view name, std::string& holder) {
    if (std::optional<std::string> value = tag.labelText(name)) holder = std::move(*value);
}

std::optional<std::string> PlaylistTag::attribute(std::string_view name) const {
    for (const auto& [attributeName, value] : attributes_)
        if (attributeName == name) return value;
    return std::nullopt;
}

std::string PlaylistTag::firstOf(std::initializer_list<std::string_view> names) const {
    for (std::string_view name : names)
        if (std::optional<std::string> value = attribute(name); value && !value->empty())
            return *value;
    return {};
}

int32_t PlaylistTag::number(std::string_view name) const {
    return parseInteger(attribute(name).value_or("")).value_or(0);
}

std::string resolveReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t amp = text.find('&');
        out += text.substr(0, amp);
        if (amp == std::string_view::npos) break;
        text.remove_prefix(amp);
        const size_t semicolon = text.find(';');
        const std::optional<uint32_t> code =
            semicolon == std::string_view::npos
                ? std::nullopt
                : referencedCharacter(text.substr(1, semicolon - 1));
        if (!code) {
            out += '&';
            text.remove_prefix(1);
            continue;
        }
        appendUtf8(out, *code);
        text.remove_prefix(semicolon + 1);
    }
    return out;
}

} // namespace splitwick
