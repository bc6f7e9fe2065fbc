// SPDX-License-Identifier: GPL-3.0-or-later
// Before <windows.h>, which would rename the seam's MessageBox to MessageBoxA.
#include "platform/message_box.h"

#include "frontends/win32/win32_file_chooser.h"

#include <cderr.h>
#include <commdlg.h>
#undef MessageBox

#include <array>
#include <vector>

namespace zr640::platform {
namespace {

constexpr DWORD kFileNameBufferSize = 256;
// OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT: a new name in an existing folder is accepted.
constexpr DWORD kChooserFlags = 0x802;
// A file to save may lie as deep as the system's paths go.
constexpr DWORD kSaveNameBufferSize = MAX_PATH;
constexpr DWORD kSaveFlags =
    OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;

// The filter pairs as GetOpenFileNameA wants them: each string ended by a zero byte, and
// one more zero byte at the end.
std::string FilterText(const FileChooserRequest& request) {
    std::string text;
    for (const auto& [description, pattern] : request.filters) {
        text.append(description).push_back('\0');
        text.append(pattern).push_back('\0');
    }
    text.push_back('\0');
    return text;
}

void ReportPathTooLong(bool save) {
    MessageBox& messageBox = InstalledMessageBox();
    messageBox.Beep();
    messageBox.Show(save ? "Der Pfad ist zu lang (mehr als 259 Zeichen)."
                         : "Der Pfad der Wendepunktdatei ist zu lang (mehr als 255 Zeichen).",
                    "Fehler", kStyleStopIcon);
}

// A file to save starts in the folder asked for, as a full path before its proposed name: a
// chooser given only an initial folder prefers the one the user last visited.
std::string FullPath(const std::string& path) {
    std::array<char, MAX_PATH> full{};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full.data(), nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full.data()) : path;
}

// "txt" of a first filter "*.txt": what a name typed without an extension gets.
std::string DefaultExtension(const FileChooserRequest& request) {
    const std::string pattern = request.filters.empty() ? "" : request.filters.front().second;
    return pattern.starts_with("*.") && pattern != "*.*" ? pattern.substr(2) : "";
}

}  // namespace

bool Win32FileChooser::ChooseFile(const FileChooserRequest& request, std::string& chosenPath) {
    const bool save = request.purpose == FileChooserPurpose::Save;
    std::vector<char> fileName(save ? kSaveNameBufferSize : kFileNameBufferSize, '\0');
    if (save) {
        const std::string proposed = FullPath(request.initialDirectory) + '\\' + request.fileName;
        proposed.copy(fileName.data(), fileName.size() - 1);
    }
    std::array<char, kFileNameBufferSize> fileTitle{};
    const std::string filter = FilterText(request);
    const std::string extension = DefaultExtension(request);

    OPENFILENAMEA record{};
    record.lStructSize = sizeof(OPENFILENAMEA);
    record.hwndOwner = owner_.Window();
    record.lpstrFilter = filter.c_str();
    record.nFilterIndex = 0;
    record.lpstrFile = fileName.data();
    record.nMaxFile = static_cast<DWORD>(fileName.size());
    record.lpstrFileTitle = fileTitle.data();
    record.nMaxFileTitle = kFileNameBufferSize;
    record.lpstrInitialDir = save ? nullptr : request.initialDirectory.c_str();
    record.lpstrTitle = request.title.c_str();
    record.Flags = save ? kSaveFlags : kChooserFlags;
    if (save && !extension.empty()) {
        record.lpstrDefExt = extension.c_str();
    }

    if ((save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record)) != TRUE) {
        // The dialog closes without a word when the chosen path does not fit the buffer; the
        // user would wonder why the choice was ignored.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
            ReportPathTooLong(save);
        }
        return false;
    }
    chosenPath = fileName.data();
    return true;
}

}  // namespace zr640::platform
