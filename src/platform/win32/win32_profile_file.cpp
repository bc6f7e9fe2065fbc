#include "platform/win32/win32_profile_file.h"

#include <windows.h>

namespace zr640::platform {
namespace {
constexpr DWORD kValueBufferSize = 256;
}

bool Win32ProfileFile::Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
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
