// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/win32/win32_profile_file.h"

#include <windows.h>

namespace zr640::platform {
namespace {
constexpr DWORD kValueBufferSize = 256;
}

bool Win32ProfileFile::Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool Win32ProfileFile::Readable(const char* path) {
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open, as it cannot be read.
    const HANDLE file = CreateFileA(path, GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

std::string Win32ProfileFile::GetString(const char* section, const char* key,
                                        const char* fallback, const char* path) {
    char value[kValueBufferSize] = {};
    const DWORD length =
        GetPrivateProfileStringA(section, key, fallback, value, kValueBufferSize, path);
    return std::string(value, length < kValueBufferSize ? length : kValueBufferSize - 1);
}

int Win32ProfileFile::GetInt(const char* section, const char* key, int fallback,
                             const char* path) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path));
}

bool Win32ProfileFile::WriteString(const char* section, const char* key, const char* value,
                                   const char* path) {
    // A null value would remove the key: that is RemoveKey's to do.
    return value != nullptr && Written(WritePrivateProfileStringA(section, key, value, path));
}

bool Win32ProfileFile::RemoveKey(const char* section, const char* key, const char* path) {
    return key != nullptr && Written(WritePrivateProfileStringA(section, key, nullptr, path));
}

// The system's own words for the error, in the ANSI code page, and its number.
bool Win32ProfileFile::Written(bool succeeded) {
    if (succeeded) {
        return true;
    }
    const DWORD error = GetLastError();
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.')) {
        --length;
    }
    lastWriteError_ = std::string(text, length) + " (Fehler " + std::to_string(error) + ")";
    return false;
}

}  // namespace zr640::platform
