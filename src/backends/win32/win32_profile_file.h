// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/profile_file.h"

namespace zr640::platform {

// Profile files through the Windows private-profile functions (kernel32).
class Win32ProfileFile final : public ProfileFile {
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
    bool Written(bool succeeded);

    std::string lastWriteError_;
};

}  // namespace zr640::platform
