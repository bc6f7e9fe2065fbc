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
    // The key's value, at most 255 characters, or the fallback.
    virtual std::string GetString(const char* section, const char* key, const char* fallback,
                                  const char* path) = 0;
    // The key's value as a decimal integer (reading stops at the first non-digit), or the fallback.
    virtual int GetInt(const char* section, const char* key, int fallback, const char* path) = 0;
    // Sets the key, creating file, section and key as needed and keeping the rest of the file.
    virtual bool WriteString(const char* section, const char* key, const char* value,
                             const char* path) = 0;
};

}  // namespace zr640::platform
