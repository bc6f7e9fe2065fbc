#pragma once

#include <memory>

#include "platform/profile_file.h"
#include "test_files.h"

#if defined(_WIN32)
#include "backends/win32/win32_profile_file.h"
#else
#include "backends/posix/ini_profile_file.h"
#endif

namespace zr640::testing {

// The platform's own profile-file backend: the configuration tests are written once and prove
// that both backends keep the same rules.
inline std::unique_ptr<platform::ProfileFile> MakePlatformProfileFile() {
#if defined(_WIN32)
    return std::make_unique<platform::Win32ProfileFile>();
#else
    return std::make_unique<platform::IniProfileFile>();
#endif
}

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace zr640::testing
