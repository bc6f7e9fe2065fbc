// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr640::platform {

// The text of a profile file, read the way the Windows profile functions read one: lines
// end at a line feed; "[name]" up to the line's last "]" opens a section; "key=value" sets a
// key, name and value trimmed of white space; a line without "=" is a key without a value;
// there is no comment syntax (such lines never match a key that is looked for); names match
// without regard to case; the first section of a name and its first key of a name count.
// A file that begins with a UTF-8 byte-order mark is UTF-8, any other Windows-1252.
class IniText {
public:
    explicit IniText(std::string text);

    // The value of the key, Windows-1252, or nothing when the section, the key or its "=" is
    // missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // Sets the key, adding section and key as needed; every other byte stays as it was, and
    // added lines end in CR LF (in CR alone where the file's lines end so). False, with the
    // text unchanged, for names or a value that cannot be written as one line ("=" in a key,
    // a line break anywhere, an empty name).
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the key's line, the first of that name in the section, as the profile functions
    // do; every other byte stays as it was. Nothing to remove is no failure.
    void Remove(std::string_view section, std::string_view key);

    const std::string& Text() const { return text_; }

private:
    struct Line {
        enum class Kind { Blank, Section, Key };
        Kind kind = Kind::Blank;
        std::size_t nameEnd = 0;     // a key's name ends here, before blanks and "="
        std::size_t contentEnd = 0;  // the line's last byte that is not white space, plus one
        std::size_t end = 0;         // the line's end, before its line feed
        std::size_t next = 0;        // where the next line starts
        std::string_view name;
        bool hasValue = false;
        std::string_view value;
    };

    void Split();
    Line Classify(std::size_t start, std::size_t end, std::size_t next) const;
    bool SameName(std::string_view written, std::string_view wanted) const;
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(std::size_t sectionLine, std::string_view key) const;
    std::size_t LastContentLine(std::size_t sectionLine) const;
    std::string Encoded(std::string_view text) const;
    std::string KeyLine(std::string_view key, std::string_view value) const;
    // The line end for lines added at `position`: CR LF, or CR where lines end at CRs.
    std::string_view LineEndAt(std::size_t position) const;

    std::string text_;
    bool utf8_ = false;
    std::vector<Line> lines_;
};

}  // namespace zr640::platform
