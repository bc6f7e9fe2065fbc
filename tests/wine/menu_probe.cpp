// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into zr640.exe by the driver (step system-menu): Wine keeps a program's menus to its
// own process, so their entries can only be read from inside. Writes the entries of the system
// menu of the program's dialog to the file of this DLL's name with ".txt" added, one after the
// other, each followed by '|': its text (a separator as "-"), in brackets when greyed. Then it
// declines to stay loaded, so that nothing of it remains in the program.
#include <windows.h>

#include <string>

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || std::string(className) != "#32770" ||
        GetDlgItem(window, 110) == nullptr) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

std::string EntriesOf(HMENU menu) {
    std::string entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) return "(unreadable)";
        if ((item.fType & MFT_SEPARATOR) != 0) {
            entries += "-|";  // greyed or not, as the system draws it
        } else {
            const bool greyed = (item.fState & MFS_GRAYED) != 0;
            entries.append(greyed ? "(" : "").append(text).append(greyed ? ")|" : "|");
        }
    }
    return entries;
}

void Report(HINSTANCE self) {
    HWND dialog = nullptr;
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    const std::string entries = dialog != nullptr ? EntriesOf(GetSystemMenu(dialog, FALSE))
                                                  : "(no dialog)";
    char path[MAX_PATH + 8] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    const std::string report = std::string(path) + ".txt";
    HANDLE file = CreateFileA(report.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, entries.data(), static_cast<DWORD>(entries.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    Report(self);
    return FALSE;
}
