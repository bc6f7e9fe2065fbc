// Before <windows.h>, which would rename the seam's MessageBox to MessageBoxA.
#include "platform/message_box.h"

#include "frontends/win32/win32_file_chooser.h"

#include <cderr.h>
#include <commdlg.h>
#undef MessageBox

#include <array>

namespace zr640::platform {
namespace {

constexpr DWORD kFileNameBufferSize = 256;
// OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT: a new name in an existing folder is accepted.
constexpr DWORD kChooserFlags = 0x802;

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

void ReportPathTooLong() {
    MessageBox& messageBox = InstalledMessageBox();
    messageBox.Beep();
    messageBox.Show("Der Pfad der Wendepunktdatei ist zu lang (mehr als 255 Zeichen).", "Fehler",
                    kStyleStopIcon);
}

}  // namespace

bool Win32FileChooser::ChooseFile(const FileChooserRequest& request, std::string& chosenPath) {
    std::array<char, kFileNameBufferSize> fileName{};
    std::array<char, kFileNameBufferSize> fileTitle{};
    const std::string filter = FilterText(request);

    OPENFILENAMEA record{};
    record.lStructSize = sizeof(OPENFILENAMEA);
    record.hwndOwner = owner_.Window();
    record.lpstrFilter = filter.c_str();
    record.nFilterIndex = 0;
    record.lpstrFile = fileName.data();
    record.nMaxFile = kFileNameBufferSize;
    record.lpstrFileTitle = fileTitle.data();
    record.nMaxFileTitle = kFileNameBufferSize;
    record.lpstrInitialDir = request.initialDirectory.c_str();
    record.lpstrTitle = request.title.c_str();
    record.Flags = kChooserFlags;

    if (GetOpenFileNameA(&record) != TRUE) {
        // The dialog closes without a word when the chosen path does not fit the buffer; the
        // user would wonder why the choice was ignored.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
            ReportPathTooLong();
        }
        return false;
    }
    chosenPath = fileName.data();
    return true;
}

}  // namespace zr640::platform
