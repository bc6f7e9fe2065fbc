// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text/ini_text.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "platform/text/windows_1252.h"

namespace zr640::platform {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

// The white space of the profile functions: that of isspace and the DOS end-of-file mark.
bool IsProfileSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsProfileSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// Appends rather than adding strings with +: GCC 12 warns (-Wrestrict, wrongly) inside
// std::string when a literal is put before a temporary string.
std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (const std::string_view part : parts) {
        joined += part;
    }
    return joined;
}

}  // namespace

IniText::IniText(std::string text) : text_(std::move(text)) {
    utf8_ = text_.starts_with(kUtf8ByteOrderMark);
    Split();
}

void IniText::Split() {
    lines_.clear();
    std::size_t start = utf8_ ? kUtf8ByteOrderMark.size() : 0;
    while (start < text_.size()) {
        std::size_t end = text_.find('\n', start);
        // A file of carriage returns only is read line by line as well.
        if (end == std::string::npos) {
            end = text_.find('\r', start);
        }
        const std::size_t next = end == std::string::npos ? text_.size() : end + 1;
        lines_.push_back(Classify(start, std::min(end, text_.size()), next));
        start = next;
    }
}

IniText::Line IniText::Classify(std::size_t start, std::size_t end, std::size_t next) const {
    Line line;
    line.end = end;
    line.next = next;
    const std::string_view whole(text_.data() + start, end - start);
    const std::string_view content = Trimmed(whole);
    const std::size_t contentStart = start + static_cast<std::size_t>(
        content.empty() ? 0 : content.data() - whole.data());
    line.contentEnd = contentStart + content.size();
    if (content.empty()) {
        return line;
    }
    if (content.front() == '[') {
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = Line::Kind::Section;
            line.name = content.substr(1, close - 1);
            return line;
        }
    }
    line.kind = Line::Kind::Key;
    const std::size_t equals = content.find('=');
    line.name = Trimmed(content.substr(0, equals));
    line.nameEnd = contentStart + line.name.size();
    if (equals != std::string_view::npos) {
        line.hasValue = true;
        line.value = Trimmed(content.substr(equals + 1));
    }
    return line;
}

bool IniText::SameName(std::string_view written, std::string_view wanted) const {
    const std::string decoded = utf8_ ? Utf8ToWindows1252(written) : std::string(written);
    if (decoded.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (UpperCase1252(decoded[i]) != UpperCase1252(wanted[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> IniText::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Kind::Section && SameName(lines_[i].name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniText::FindKey(std::size_t sectionLine, std::string_view key) const {
    for (std::size_t i = sectionLine + 1;
         i < lines_.size() && lines_[i].kind != Line::Kind::Section; ++i) {
        if (lines_[i].kind == Line::Kind::Key && SameName(lines_[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniText::LastContentLine(std::size_t sectionLine) const {
    std::size_t last = sectionLine;
    for (std::size_t i = sectionLine + 1;
         i < lines_.size() && lines_[i].kind != Line::Kind::Section; ++i) {
        if (lines_[i].kind != Line::Kind::Blank) {
            last = i;
        }
    }
    return last;
}

std::string IniText::Encoded(std::string_view text) const {
    return utf8_ ? Windows1252ToUtf8(text) : std::string(text);
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
    const auto sectionLine = FindSection(Trimmed(section));
    if (!sectionLine) {
        return std::nullopt;
    }
    const auto keyLine = FindKey(*sectionLine, Trimmed(key));
    if (!keyLine || !lines_[*keyLine].hasValue) {
        return std::nullopt;
    }
    const std::string_view value = lines_[*keyLine].value;
    return utf8_ ? Utf8ToWindows1252(value) : std::string(value);
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trimmed(section);
    key = Trimmed(key);
    if (section.empty() || key.empty() || key.find('=') != key.npos || HasLineBreak(section) ||
        HasLineBreak(key) || HasLineBreak(value)) {
        return false;
    }
    const auto sectionLine = FindSection(section);
    if (!sectionLine) {
        const std::string_view lineEnd = LineEndAt(text_.size());
        const bool lastLineOpen = !lines_.empty() && lines_.back().next == lines_.back().end;
        std::string added = lastLineOpen ? std::string(lineEnd) : std::string();
        if (!lines_.empty()) {
            added += lineEnd;  // a blank line between sections, as Windows writes them
        }
        added += Joined({"[", Encoded(section), "]", lineEnd, KeyLine(key, value), lineEnd});
        text_ += added;
    } else if (const auto existing = FindKey(*sectionLine, key)) {
        const Line& line = lines_[*existing];
        text_.replace(line.nameEnd, line.contentEnd - line.nameEnd,
                      Joined({"=", Encoded(value)}));
    } else {
        const Line& after = lines_[LastContentLine(*sectionLine)];
        const std::string_view lineEnd = LineEndAt(after.next);
        const bool open = after.next == after.end;
        text_.insert(after.next, Joined({open ? lineEnd : "", KeyLine(key, value), lineEnd}));
    }
    Split();
    return true;
}

void IniText::Remove(std::string_view section, std::string_view key) {
    const auto sectionLine = FindSection(Trimmed(section));
    const auto keyLine = sectionLine ? FindKey(*sectionLine, Trimmed(key)) : std::nullopt;
    if (!keyLine) {
        return;
    }
    // A key's line always follows its section's, so the line before it says where it starts.
    const std::size_t start = lines_[*keyLine - 1].next;
    text_.erase(start, lines_[*keyLine].next - start);
    Split();
}

std::string IniText::KeyLine(std::string_view key, std::string_view value) const {
    return Encoded(key) + "=" + Encoded(value);
}

std::string_view IniText::LineEndAt(std::size_t position) const {
    // Behind the file's last line feed, lines end at carriage returns. A line feed added
    // there would join all of them into one line, so lines added there end the same way.
    const std::string_view before(text_.data(), position);
    const std::size_t lastLineFeed = before.rfind('\n');
    const std::size_t tailStart = lastLineFeed == std::string_view::npos ? 0 : lastLineFeed + 1;
    return before.find('\r', tailStart) != std::string_view::npos ? std::string_view("\r")
                                                                  : kLineEnd;
}

}  // namespace zr640::platform
