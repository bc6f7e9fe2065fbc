// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/profile_file.h"

namespace zr640::platform {

// Profile files on POSIX systems, read and written by our own INI code with the rules of
// the Windows private-profile functions (see IniText), so that one zr640.ini serves both.
class IniProfileFile final : public ProfileFile {
public:
    bool Exists(const char* path) override;
    bool Readable(const char* path) override;
    std::string GetString(const char* section, const char* key, const char* fallback,
                          const char* path) override;
    int GetInt(const char* section, const char* key, int fallback, const char* path) override;
    bool WriteString(const char* section, const char* key, const char* value,
                     const char* path) override;
    bool RemoveKey(const char* section, const char* key, const char* path) override;
    std::string LastWriteError() override { return lastWriteError_; }

private:
    // Reads the file, lets `change` edit its text and writes it back when it changed.
    template <typename Change>
    bool Rewrite(const char* path, Change change);
    bool Failed(std::string reason);

    std::string lastWriteError_;
};

}  // namespace zr640::platform
