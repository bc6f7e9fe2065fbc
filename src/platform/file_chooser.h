// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zr640::platform {

// Whether the chooser opens a file or saves one.
enum class FileChooserPurpose { Open, Save };

struct FileChooserRequest {
    std::string title;                                        // Windows-1252
    std::string initialDirectory;                             // relative to the working directory
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
    FileChooserPurpose purpose = FileChooserPurpose::Open;
    std::string fileName;  // Save: the name it proposes, Windows-1252
};

// The platform's file dialog. To open, it accepts a name that does not exist in an existing
// folder. To save, it adds the first filter's extension to a name without one and asks before
// a file is overwritten. Returns true and the full path when the user chose a file, in the
// bytes that the platform's file functions take: Windows-1252 on Windows, the file system's
// encoding (UTF-8) on Linux, so that the program can open it as it stands.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual bool ChooseFile(const FileChooserRequest& request, std::string& chosenPath) = 0;
};

}  // namespace zr640::platform
