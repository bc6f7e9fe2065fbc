// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zr640::platform {

// An INI-style profile file, with the rules of the Windows private-profile functions:
// section and key names match without regard to case, values are trimmed, a missing file
// or key gives the fallback. Paths and texts are Windows-1252.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    // Whether anything exists at the path (permissions play no part). Part of this service
    // because only the platform knows how to hand the path's bytes to its file system.
    virtual bool Exists(const char* path) = 0;
    // Whether the file at the path can be read. The profile functions read one that cannot
    // as if it were empty, which would pass the built-in settings off as the user's.
    virtual bool Readable(const char* path) = 0;
    // The key's value, at most 255 characters, or the fallback.
    virtual std::string GetString(const char* section, const char* key, const char* fallback,
                                  const char* path) = 0;
    // The key's value as a decimal integer (reading stops at the first non-digit), or the fallback.
    virtual int GetInt(const char* section, const char* key, int fallback, const char* path) = 0;
    // Sets the key, creating file, section and key as needed and keeping the rest of the file.
    virtual bool WriteString(const char* section, const char* key, const char* value,
                             const char* path) = 0;
    // Removes the key, keeping the rest of the file; true also when there was no such key.
    virtual bool RemoveKey(const char* section, const char* key, const char* path) = 0;
    // Why the last WriteString or RemoveKey that failed did so, in words for a message box
    // (Windows-1252).
    virtual std::string LastWriteError() = 0;
};

}  // namespace zr640::platform
