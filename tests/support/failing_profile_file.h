// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/profile_file.h"

namespace zr640::testing {

// The platform's profile file, one of whose writes fails with `reason`: for what cannot be
// made real when the tests run as root, who may write any file, and for a write that fails
// halfway through a change of several keys.
class FailingProfileFile final : public platform::ProfileFile {
public:
    explicit FailingProfileFile(platform::ProfileFile& real) : real_(real) {}

    bool Exists(const char* path) override { return real_.Exists(path); }
    bool Readable(const char* path) override { return real_.Readable(path); }
    std::string GetString(const char* section, const char* key, const char* fallback,
                          const char* path) override {
        return real_.GetString(section, key, fallback, path);
    }
    int GetInt(const char* section, const char* key, int fallback, const char* path) override {
        return real_.GetInt(section, key, fallback, path);
    }
    bool WriteString(const char* section, const char* key, const char* value,
                     const char* path) override {
        return Allowed() && real_.WriteString(section, key, value, path);
    }
    bool RemoveKey(const char* section, const char* key, const char* path) override {
        return Allowed() && real_.RemoveKey(section, key, path);
    }
    std::string LastWriteError() override { return failed_ ? reason : real_.LastWriteError(); }

    int failingWrite = -1;  // the number of the write that fails, counted from 0; -1: none
    std::string reason = "Auf dem Datentr\xE4ger ist nicht gen\xFCgend Speicherplatz.";
    int writes = 0;  // WriteString and RemoveKey, those that failed too

private:
    bool Allowed() {
        failed_ = writes++ == failingWrite;
        return !failed_;
    }

    platform::ProfileFile& real_;
    bool failed_ = false;
};

}  // namespace zr640::testing
