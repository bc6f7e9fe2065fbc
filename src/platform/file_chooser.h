#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zr640::platform {

struct FileChooserRequest {
    std::string title;                                        // Windows-1252
    std::string initialDirectory;                             // relative to the working directory
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
};

// The platform's file-open dialog. It accepts a name that does not exist in an existing
// folder. Returns true and the full path when the user chose a file, in the bytes that the
// platform's file functions take: Windows-1252 on Windows, the file system's encoding (UTF-8)
// on Linux, so that the transfers can open it as it stands.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual bool ChooseFile(const FileChooserRequest& request, std::string& chosenPath) = 0;
};

}  // namespace zr640::platform
