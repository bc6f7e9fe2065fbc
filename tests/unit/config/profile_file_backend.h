#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "platform/profile_file.h"

#if defined(_WIN32)
#include "backends/win32/win32_profile_file.h"
#else
#include "backends/posix/ini_profile_file.h"
#endif

namespace zr640::testing {

// The platform's own profile-file backend: the tests are written once and prove that both
// backends keep the same rules.
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

// A fresh directory under the system's temporary directory, removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("zr640-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return Path() + kPathSeparator + name; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zr640::testing
