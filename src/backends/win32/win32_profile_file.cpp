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
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

}  // namespace zr640::platform
