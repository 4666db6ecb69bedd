#pragma once
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace splitwick {

// The line with the ASCII letters a to z upper-cased; every other byte (UTF-8 included) kept.
std::string upperAscii(std::string text);

// One memo line read once, as the tag it holds. It answers two ways:
// - as the labels read it: element and attribute names are searched as plain substrings of the
//   line in any letter case (a name may match inside a longer one or inside another attribute's
//   value), values only in double quotes and as written;
// - as XML: whole element and attribute names, values in either quotes with character
//   references resolved.
// The labels, the tree and the log keep the first reading, so that they stay as they have always
// been; so do a stream's number, media attribute and description wherever else they serve, so
// that a box's language and track name are those of the stream its label names. The title's
// other facts (clips, times, chapters, languages) take the second.
class PlaylistTag {
  public:
    enum class Kind {
        Opening, // <Name ...>
        Empty,   // <Name .../>
        Closing, // </Name>
        Other    // a comment, a declaration, a processing instruction, or no tag at all
    };

    // Reads the tag at the start of the line, indentation skipped. Attributes stop at the first
    // one that is not name="value" (or 'value').
    explicit PlaylistTag(std::string_view line);

    // The line as read, indentation included.
    const std::string& line() const { return line_; }

    // --- As the labels read it.
    // Whether the upper-cased line holds this upper-case text ("<AUDIO ").
    bool mentions(std::string_view upperText) const;
    // The value in double quotes behind the first occurrence of the name, within 255 characters:
    // empty when there is none. Nothing when the name occurs nowhere, so that a holder keeps
    // what it had.
    std::optional<std::string> labelText(std::string_view name) const;
    // labelText as a number; 0 when it is absent, not a number, or out of range.
    int32_t labelNumber(std::string_view name) const;

    // --- As XML.
    Kind kind() const { return kind_; }
    const std::string& element() const { return element_; }
    bool opens(std::string_view name) const {
        return element_ == name && (kind_ == Kind::Opening || kind_ == Kind::Empty);
    }
    bool closes(std::string_view name) const { return element_ == name && kind_ == Kind::Closing; }
    // The attribute's value; nothing when the tag has no attribute of exactly this name.
    std::optional<std::string> attribute(std::string_view name) const;
    // The first of these attributes that the tag carries with a value, else the empty text.
    std::string firstOf(std::initializer_list<std::string_view> names) const;
    // The attribute as a number; 0 when it is absent or not one.
    int32_t number(std::string_view name) const;

  private:
    const std::string& upper() const;

    std::string line_;
    // The upper-cased line, made at the first question the labels ask: most lines of a disc's
    // reading are asked none.
    mutable std::optional<std::string> upper_;
    Kind kind_ = Kind::Other;
    std::string element_;
    std::vector<std::pair<std::string, std::string>> attributes_;
};

// The holder takes the attribute's value as the labels read it, when the tag names it at all:
// so a holder runs on from one tag to the next that lacks the attribute.
void keepLabelText(const PlaylistTag& tag, std::string_view name, std::string& holder);

// The text with &amp; &lt; &gt; &quot; &apos; and numeric character references resolved to
// UTF-8. A reference that names no character allowed in XML text stays as written.
std::string resolveReferences(std::string_view text);

} // namespace splitwick
