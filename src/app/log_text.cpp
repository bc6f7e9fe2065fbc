// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/text/windows_1252.h"

namespace zr640 {
namespace {

// Why a file could not be written, as a user can act on it.
std::string FileErrorReason(int error) {
    switch (error) {
    case ENOENT: return "Den Ordner gibt es nicht.";
    case EACCES:
    case EPERM: return "Keine Berechtigung zum Schreiben.";
    case EROFS: return "Der Datentr\xE4ger ist schreibgesch\xFCtzt.";
    case ENOSPC: return "Auf dem Datentr\xE4ger ist kein Platz mehr.";
    case EISDIR: return "Unter diesem Namen steht ein Ordner.";
    case ENAMETOOLONG: return "Der Name ist zu lang.";
    default: break;
    }
    char text[160];
    std::snprintf(text, sizeof text, "Systemfehler %d (%s).", error, std::strerror(error));
    return text;
}

}  // namespace

std::vector<std::string> LogEntries(const platform::ListView& list) {
    std::vector<std::string> entries;
    const int count = list.Count();
    entries.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        entries.push_back(list.GetText(i));
    }
    return entries;
}

std::string ToPlatformText(const std::string& text, platform::TextConvention convention) {
    return convention.encoding == platform::TextEncoding::Utf8 ? platform::Windows1252ToUtf8(text)
                                                               : text;
}

std::string FromPlatformText(const std::string& text, platform::TextConvention convention) {
    return convention.encoding == platform::TextEncoding::Utf8 ? platform::Utf8ToWindows1252(text)
                                                               : text;
}

std::string EntryText(const std::string& entry, platform::TextConvention convention) {
    const bool endsInCarriageReturn = !entry.empty() && entry.back() == '\r';
    return ToPlatformText(endsInCarriageReturn ? entry.substr(0, entry.size() - 1) : entry,
                          convention);
}

std::string LogText(const std::vector<std::string>& entries, platform::TextConvention convention) {
    std::string text;
    for (const std::string& entry : entries) {
        text += EntryText(entry, convention);
        text += convention.lineEnd;
    }
    return text;
}

std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        return ".";
    }
    // A root keeps its separator: "C:" alone would name the drive's current folder.
    const bool root = separator == 0 || path[separator - 1] == ':';
    return path.substr(0, root ? separator + 1 : separator);
}

std::string LogFileName(const std::tm& localTime) {
    char name[64];
    std::snprintf(name, sizeof name, "zr640-%04d-%02d-%02d-%02d%02d%02d.txt",
                  localTime.tm_year + 1900, localTime.tm_mon + 1, localTime.tm_mday,
                  localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return name;
}

std::optional<std::string> WriteWholeFile(const std::string& path, const std::string& bytes) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return FileErrorReason(errno);
    }
    int error = 0;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = errno != 0 ? errno : EIO;
    }
    // Data the system held back fails only now, on a full disk or a lost network share.
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    // What was written stays: the file may be one the user keeps elsewhere (a device, a pipe).
    if (error != 0) {
        return FileErrorReason(error) + " Die Datei ist unvollst\xE4ndig.";
    }
    return std::nullopt;
}

}  // namespace zr640
