#pragma once
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace splitwick {

// One memo line read as the XML tag it holds, for the title's data: unlike AttrText, an
// attribute is found by its whole name only, and a value's character references are resolved.
struct XmlTag {
    enum class Kind {
        Opening, // <Name ...>
        Empty,   // <Name .../>
        Closing, // </Name>
        Other    // a comment, a declaration, a processing instruction, or no tag at all
    };
    Kind kind = Kind::Other;
    std::string element;
    std::vector<std::pair<std::string, std::string>> attributes;

    bool opens(std::string_view name) const {
        return element == name && (kind == Kind::Opening || kind == Kind::Empty);
    }
    bool closes(std::string_view name) const { return element == name && kind == Kind::Closing; }
    // The attribute's value; nothing when the tag has no attribute of exactly this name.
    std::optional<std::string> attribute(std::string_view name) const;
    // The first of these attributes that the tag carries with a value, else the empty text.
    std::string firstOf(std::initializer_list<std::string_view> names) const;
};

// Reads the tag at the start of the line, indentation skipped. Attributes stop at the first
// one that is not name="value" (or 'value').
XmlTag readXmlTag(std::string_view line);

// The text with &amp; &lt; &gt; &quot; &apos; and numeric character references resolved to
// UTF-8. A reference that names no character allowed in XML text stays as written.
std::string resolveReferences(std::string_view text);

} // namespace splitwick
