#include "attr.h"

#include "integer_text.h"

namespace splitwick {

namespace {

// How far behind the attribute's name its value may end.
constexpr size_t ValueWindow = 255;

// The text behind the first occurrence of the mark, or the whole text when there is none.
std::string_view after(std::string_view text, char mark) {
    const size_t at = text.find(mark);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

} // namespace

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void AttrText(const std::string& line, const std::string& name, std::string& holder) {
    const size_t at = upperAscii(line).find(upperAscii(name));
    if (at == std::string::npos) return;
    std::string_view rest = std::string_view(line).substr(at + name.size(), ValueWindow);
    rest = after(after(rest, '='), '"');
    const size_t close = rest.find('"');
    holder = close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close));
}

int32_t AttrNumber(const std::string& line, const std::string& name) {
    std::string value;
    AttrText(line, name, value);
    return parseInteger(value).value_or(0);
}

} // namespace splitwick
