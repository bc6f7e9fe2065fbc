#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace zr640::testing {

// A file in the temporary directory with the given bytes, removed again at the end of scope.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& bytes) : path_(UniquePath()) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string Path() const { return path_.string(); }

private:
    static std::filesystem::path UniquePath() {
        static std::atomic<int> counter{0};
        const auto stamp = std::filesystem::file_time_type::clock::now().time_since_epoch();
        return std::filesystem::temp_directory_path() /
               ("zr640-" + std::to_string(stamp.count()) + "-" +
                std::to_string(counter.fetch_add(1)) + ".wht");
    }

    std::filesystem::path path_;
};

}  // namespace zr640::testing
