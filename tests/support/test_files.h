// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace zr640::testing {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
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
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The bytes of a whole file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// `text` with every `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Compares `actual` with the expected text in the file at `path`. With ZR640_REGENERATE_GOLDEN=1
// in the environment the file is rewritten instead, and the test fails all the same: a run that
// rewrites its expectations has checked nothing, and the diff wants reviewing before a commit.
inline void ExpectGolden(const std::filesystem::path& path, const std::string& actual) {
    const char* regenerate = std::getenv("ZR640_REGENERATE_GOLDEN");
    if (regenerate != nullptr && std::string(regenerate) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        ADD_FAILURE() << path << ": golden file rewritten: review git diff tests/data";
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path << ": run with ZR640_REGENERATE_GOLDEN=1";
    EXPECT_EQ(ReadWholeFile(path), actual) << path;
}

// The names, without `extension`, of the files in `folder` that end in it: a table's golden
// files, to compare with the names of its cases, so that a case that vanishes leaves an orphan.
inline std::set<std::string> NamesIn(const std::filesystem::path& folder,
                                     const std::string& extension) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == extension) names.insert(entry.path().stem().string());
    }
    return names;
}

}  // namespace zr640::testing
