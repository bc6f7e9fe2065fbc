// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/list_view.h"

namespace zr640 {

// The log as the user takes it out of the window: to the clipboard, into a file.

// Every entry of the list, oldest first.
std::vector<std::string> LogEntries(const platform::ListView& list);

// A text of the program (Windows-1252) in the platform's character set, and back. The way
// back turns what Windows-1252 lacks into '?'.
std::string ToPlatformText(const std::string& text, platform::TextConvention convention);
std::string FromPlatformText(const std::string& text, platform::TextConvention convention);

// One entry as the platform's text, without the carriage return that a logged sentence keeps
// at its end: it would make an empty line or a doubled line end of its own.
std::string EntryText(const std::string& entry, platform::TextConvention convention);

// Every entry as one line of the platform's text, each ended by its line end.
std::string LogText(const std::vector<std::string>& entries, platform::TextConvention convention);

// The folder of a file's path (either separator; a root with its separator), or "." for a
// bare name.
std::string FolderOf(const std::string& path);

// The name a saved log is offered under: "zr640-JJJJ-MM-TT-hhmmss.txt" for the local time.
std::string LogFileName(const std::tm& localTime);

// Writes `bytes` as the whole file at `path` (a path in the platform's bytes). On failure the
// reason, in German for the user, and whether the file stands there cut short.
std::optional<std::string> WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace zr640
