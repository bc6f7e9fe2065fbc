// SPDX-License-Identifier: GPL-3.0-or-later
// Works zr640.exe under Wine from outside, as a user would, and checks what the user sees. The
// steps (`steps` below) come from the command line and run in order; the first that fails ends
// the driver with exit code 1, its name and the log on standard error. Texts are Windows-1252,
// as the dialog's; in patterns '*' stands for any run of characters. The steps work on the
// main dialog, or on the route dialog after "route".
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialog_templates.h"
#include "zr640_driver.h"
#include "platform/dialog_layout.h"
#include "platform/route_dialog_layout.h"

namespace zr640::driver {

std::vector<std::string> args;  // the steps with their arguments
std::size_t nextArg = 0;
HWND mainDialog = nullptr;
HWND dialog = nullptr;

void Expect(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

bool Matches(const char* text, const char* pattern) {
    if (*pattern == '*') return Matches(text, pattern + 1) || (*text && Matches(text + 1, pattern));
    return *pattern == *text && (*text == '\0' || Matches(text + 1, pattern + 1));
}

std::string Take() { return args.at(nextArg++); }  // throws when a step lacks its arguments
int Int() { return std::stoi(Take()); }
DWORD Ms() { return static_cast<DWORD>(std::stoul(Take())); }

// Polls until the condition holds: the other process gives no event to wait on.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}
// The timeout that ends a step's arguments: the condition must hold within it.
void Wait(const std::function<bool()>& condition) {
    Expect(WaitUntil(Ms(), condition), "not within its time");
}

HWND Dialog() {
    Expect(IsWindow(dialog), "no dialog (run the step dialog first)");
    return dialog;
}
HWND Item(int id, HWND window) {
    HWND item = GetDlgItem(window != nullptr ? window : Dialog(), id);
    Expect(item != nullptr, "no control " + std::to_string(id));
    return item;
}
HWND Log() { return Item(IDC_LOG, mainDialog); }
int Count() { return static_cast<int>(SendMessageA(Log(), LB_GETCOUNT, 0, 0)); }

// WM_GETTEXT is carried across processes; GetWindowText would only see the cached caption.
std::string TextOf(HWND window) {
    char text[4096] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

// A visible window with this class (any when null) and caption pattern, within the timeout
// that ends the step's arguments (the driver shows no window of its own).
HWND WaitForWindow(const char* className, const std::string& caption) {
    HWND found = nullptr;
    WaitUntil(Ms(), [&] {
        while ((found = FindWindowExA(nullptr, found, className, nullptr)) != nullptr) {
            char title[512] = {};
            GetWindowTextA(found, title, sizeof title);
            if (IsWindowVisible(found) && Matches(title, caption.c_str())) return true;
        }
        return false;
    });
    Expect(found != nullptr, "no window \"" + caption + "\"");
    return found;
}

// Closes a box or the chooser with one of its buttons, and waits until it has gone.
void Dismiss(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    Expect(WaitUntil(5000, [&] { return !IsWindow(window); }), "a window stays open");
}

// The log's entries from `first` on (an entry holds at most 2047 characters). Wine carries
// LB_GETTEXT to another process only in its wide form.
std::vector<std::string> Entries(HWND list, LRESULT first) {
    std::vector<std::string> entries;
    for (LRESULT i = first; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t wide[2048] = {};
        char entry[2048] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, entry, sizeof entry, nullptr, nullptr);
        entries.emplace_back(entry);
    }
    return entries;
}

void ExpectEntry(int index, const char* suffix = "") {  // the entry's pattern, then suffix
    const std::string pattern = Take() + suffix;
    const auto entries = Entries(Log(), index);
    Expect(!entries.empty() && Matches(entries[0].c_str(), pattern.c_str()),
           "entry " + std::to_string(index) + " is not \"" + pattern + "\"");
}

// A key typed on the keyboard: it goes to the control with the focus in the active window.
void PressKey(BYTE virtualKey) {
    keybd_event(virtualKey, 0, 0, 0);
    keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
}

// Keys such as "shift+f10", "ctrl+c", "alt+space", "escape" or a letter, typed together.
void PressKeys() {  // keys
    std::string rest = Take();
    std::vector<BYTE> held;
    const std::pair<const char*, BYTE> modifiers[] = {
        {"shift+", VK_SHIFT}, {"ctrl+", VK_CONTROL}, {"alt+", VK_MENU}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [name, key] : modifiers) {
            if (!rest.starts_with(name)) continue;
            rest.erase(0, std::strlen(name)), held.push_back(key), found = true;
        }
    }
    const std::map<std::string, BYTE> named{
        {"f10", VK_F10}, {"space", VK_SPACE}, {"escape", VK_ESCAPE}, {"apps", VK_APPS}};
    Expect(rest.size() == 1 || named.contains(rest), "no key " + rest);
    const BYTE key = rest.size() == 1 ? LOBYTE(VkKeyScanA(rest[0])) : named.at(rest);
    for (BYTE modifier : held) keybd_event(modifier, 0, 0, 0);
    PressKey(key);
    for (auto it = held.rbegin(); it != held.rend(); ++it) keybd_event(*it, 0, KEYEVENTF_KEYUP, 0);
}

// The clipboard's Unicode text in Windows-1252, as the dialog's texts are written here; what
// that lacks shows as '?', so text put there in the wrong encoding does not pass.
std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "(the clipboard is busy)";
    std::string text = "(no Unicode text)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            const int size = WideCharToMultiByte(1252, 0, wide, -1, nullptr, 0, nullptr, nullptr);
            text.assign(static_cast<std::size_t>(std::max(size, 1)), '\0');
            WideCharToMultiByte(1252, 0, wide, -1, text.data(), size, "?", nullptr);
            text.resize(std::strlen(text.c_str()));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The system menu of the dialog, read by the probe DLL beside the driver, which the driver
// loads into the program: its entries, each followed by '|', greyed ones in brackets.
std::string SystemMenuEntries() {
    char probe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, probe, MAX_PATH);
    std::string path = probe;
    path.replace(path.find_last_of('\\') + 1, std::string::npos, "zr640_menu_probe.dll");
    const std::string report = path + ".txt";
    DeleteFileA(report.c_str());
    DWORD process = 0;
    GetWindowThreadProcessId(Dialog(), &process);
    HANDLE target = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process);
    Expect(target != nullptr, "the program cannot be opened");
    void* remote = VirtualAllocEx(target, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = remote != nullptr && WriteProcessMemory(target, remote, path.c_str(),
                                                            path.size() + 1, nullptr)
                        ? CreateRemoteThread(target, nullptr, 0, load, remote, 0, nullptr)
                        : nullptr;
    const bool ran = thread != nullptr && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    if (thread != nullptr) CloseHandle(thread);
    VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    CloseHandle(target);
    Expect(ran, "the probe did not run in the program");
    std::string entries;
    if (FILE* file = std::fopen(report.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) entries += static_cast<char>(c);
        std::fclose(file);
    }
    return entries;
}

// A mouse click: the button takes the focus, then its command runs. `wait` returns once the
// command has run (and leaves the focus), which only a command that opens no window allows.
void Click(bool wait) {  // id
    HWND button = Item(Int());
    if (!wait) PostMessageA(Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    Expect(wait ? SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, nullptr)
                : PostMessageA(button, BM_CLICK, 0, 0),
           "the click was not handled");
}

void CloseBox() {  // caption, text pattern, timeout: its text, then closed with OK
    const std::string caption = Take(), wanted = Take();
    HWND box = WaitForWindow("#32770", caption);
    std::string text;  // of its one static control with text (the icon's has none)
    for (HWND c = nullptr; text.empty() && (c = FindWindowExA(box, c, "Static", nullptr));) {
        text = TextOf(c);
    }
    Dismiss(box, IDOK);
    Expect(Matches(text.c_str(), wanted.c_str()), "the box says \"" + text + "\"");
}

// The chooser shows a file type that begins with `filter`; the name is typed into its file
// name field (cmb13) and OK pressed, or with no name, the chooser is cancelled.
void Choose() {  // title, file type, file name, timeout
    const std::string title = Take(), filter = Take(), name = Take();
    HWND chooser = WaitForWindow("#32770", title);
    Expect(TextOf(GetDlgItem(chooser, cmb1)).starts_with(filter), "another file type");
    SendMessageTimeoutA(GetDlgItem(chooser, cmb13), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
    Dismiss(chooser, name.empty() ? IDCANCEL : IDOK);
}

// Asks the dialog for an answer every 10 ms, as the system does when it decides whether a
// window hangs, until an entry that begins with the text comes; prints how long answers took.
// Each time only the new entries are read, so that the probes keep their pace.
void Responsive() {  // text, timeout
    const std::string wanted = Take();
    const ULONGLONG deadline = GetTickCount64() + Ms();
    std::vector<ULONGLONG> answerMs{0};
    for (LRESULT read = 0;; Sleep(10)) {
        const auto entries = Entries(Log(), read);
        read += static_cast<LRESULT>(entries.size());
        if (std::ranges::any_of(entries, [&](auto& e) { return e.starts_with(wanted); })) break;
        Expect(GetTickCount64() < deadline, "no such entry");
        const ULONGLONG start = GetTickCount64();
        Expect(SendMessageTimeoutA(Dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, nullptr),
               "the dialog did not answer within 250 ms");
        answerMs.push_back(GetTickCount64() - start);
    }
    std::ranges::sort(answerMs);
    std::printf("responsive: %zu probes, longest %llu ms, 99th percentile %llu ms\n",
                answerMs.size() - 1, answerMs.back(), answerMs[answerMs.size() * 99 / 100]);
}

// Dialog units to pixels as the dialog manager maps them for a template in the dialog font
// (MS Sans Serif, 8 points): in a probe dialog of this process, where alone MapDialogRect works.
RECT DialogUnitsToPixels(int x, int y, int width, int height) {
    std::vector<WORD> probe{LOWORD(WS_POPUP | DS_SETFONT), HIWORD(WS_POPUP | DS_SETFONT),
                            0, 0, 0, 0, 0, 10, 10, 0, 0, 0, 8};
    const char face[] = "MS Sans Serif";
    probe.insert(probe.end(), face, face + sizeof face);
    const auto ignore = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; };
    HWND window = CreateDialogIndirectA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(probe.data()),
                                        nullptr, ignore);
    RECT pixels{x, y, width, height};  // each number mapped alone, as the template's are
    Expect(window != nullptr && MapDialogRect(window, &pixels), "no probe dialog for the font");
    DestroyWindow(window);
    return pixels;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

// A window as its template table wants it: caption, style and client size, then each control in
// order (the children's order is the creation order) with its id, class, style, text and place.
// Prints every difference before it fails.
void CheckTemplate() {  // template id, timeout
    using zr640::testing::kTemplates;
    const int id = Int();
    const auto table = std::ranges::find(kTemplates, id, &zr640::testing::DialogTemplateTable::id);
    Expect(table != kTemplates.end(), "no table for template " + std::to_string(id));
    HWND window = WaitForWindow("#32770", table->caption);
    std::vector<std::string> wrong;
    const auto expect = [&wrong](const std::string& what, const std::string& want,
                                 const std::string& seen) {
        if (want != seen) wrong.push_back(what + ": " + want + " wanted, " + seen + " seen");
    };
    const auto expectPlace = [&](const std::string& what, RECT want, RECT seen) {
        const auto text = [](RECT r) {
            return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                   std::to_string(r.right) + "x" + std::to_string(r.bottom);
        };
        expect(what + " at", text(want), text(seen));
    };
    RECT client{};
    GetClientRect(window, &client);
    expectPlace("client area", DialogUnitsToPixels(0, 0, table->width, table->height), client);
    // The system adds these to every dialog with a caption.
    const DWORD added = WS_CLIPSIBLINGS | DS_3DLOOK;
    expect("style", Hex(table->style), Hex(GetWindowLongA(window, GWL_STYLE) & ~added));
    HWND control = GetWindow(window, GW_CHILD);
    for (const zr640::testing::TemplateControl& c : table->controls) {
        const std::string name = "control " + std::to_string(c.id);
        Expect(control != nullptr, name + " missing");
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        expect(name + ": id", std::to_string(c.id), std::to_string(GetDlgCtrlID(control)));
        expect(name + ": class", c.windowClass, className);
        // The system draws a border as a client edge, and moves a radio button's tab stop
        // with its check mark.
        DWORD style = GetWindowLongA(control, GWL_STYLE);
        if (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        const std::string kind = className;
        if (kind == "Button" && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
            style = (style & ~WS_TABSTOP) | (c.style & WS_TABSTOP);
        }
        // What changes as the dialog runs: a button greyed, a list box's scroll bar, which
        // comes and goes with its rows unless LBS_DISABLENOSCROLL keeps it.
        DWORD running = WS_DISABLED;
        if (kind == "ListBox" && (c.style & LBS_DISABLENOSCROLL) == 0) running |= WS_VSCROLL;
        expect(name + ": style", Hex((c.style | WS_CHILD | WS_VISIBLE) & ~running),
               Hex(style & ~running));
        if (*c.text != '\0') expect(name + ": text", c.text, TextOf(control));  // else ours
        RECT want = DialogUnitsToPixels(c.x, c.y, c.width, c.height), place{};
        if (kind == "Static" && (c.style & SS_TYPEMASK) == SS_ICON) {
            want.right = want.bottom = zr640::testing::kIconPixels;
        }
        GetWindowRect(control, &place);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
        RECT seen{place.left, place.top, place.right - place.left, place.bottom - place.top};
        // A list box without LBS_NOINTEGRALHEIGHT drops the part of a line at its foot.
        const auto line = kind == "ListBox" ? SendMessageA(control, LB_GETITEMHEIGHT, 0, 0) : 0;
        if (seen.bottom <= want.bottom && seen.bottom > want.bottom - line) {
            want.bottom = seen.bottom;
        }
        expectPlace(name, want, seen);
        control = GetWindow(control, GW_HWNDNEXT);
    }
    Expect(control == nullptr, "control " + std::to_string(GetDlgCtrlID(control)) + " is extra");
    for (const std::string& line : wrong) std::printf("template %d: %s\n", id, line.c_str());
    Expect(wrong.empty(), "template " + std::to_string(id) + " is not as its table says");
}

// What else the user sees of the main dialog: at the top left, the program's icon, the log
// scrolling 2048 pixels sideways, and the comctl32.dll loaded from the Common Controls 6
// assembly (DllGetVersion would not tell: Wine's answers 5.81 from every copy).
void CheckLayout() {
    RECT frame{};
    GetWindowRect(Dialog(), &frame);
    const bool icon = SendMessageA(Item(IDC_PROGRAM_ICON), STM_GETICON, 0, 0) != 0;
    const auto extent = SendMessageA(Item(IDC_LOG), LB_GETHORIZONTALEXTENT, 0, 0);
    std::printf("layout: at %ld,%ld, icon %d, log %d pixels wide\n", frame.left, frame.top, icon,
                static_cast<int>(extent));
    Expect(frame.left == 0 && frame.top == 0 && icon && extent == 2048,
           "the dialog does not look as it should");
    DWORD process = 0;
    GetWindowThreadProcessId(Dialog(), &process);
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool version6 = false;
    for (BOOL more = Module32First(modules, &entry); more; more = Module32Next(modules, &entry)) {
        version6 |= Matches(CharLowerA(entry.szExePath),
                            "*common-controls_6595b64144ccf1df_6.*\\comctl32.dll");
    }
    CloseHandle(modules);
    Expect(version6, "the program has no Common Controls 6 loaded");
}

// The keyboard focus of the dialog's thread: GetFocus answers only for the driver's own.
HWND FocusedWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(Dialog(), nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// A character typed on the keyboard (the letters and digits of any layout, the blank, and
// '\b' for the backspace key).
void TypeCharacter(char c) {
    const SHORT key = c == '\b' ? VK_BACK : VkKeyScanA(c);
    Expect(key != -1, std::string("no key for ") + c);
    if (HIBYTE(key) & 1) keybd_event(VK_SHIFT, 0, 0, 0);
    PressKey(LOBYTE(key));
    if (HIBYTE(key) & 1) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
}

// A double-click with the mouse on entry `index` of the log, which has to be in view, once the
// main dialog takes clicks again (a window that closed over it gives it back the input).
void DoubleClickEntry() {  // index
    HWND list = Log();
    Expect(WaitUntil(5000, [] {
               return IsWindowEnabled(mainDialog) && GetForegroundWindow() == mainDialog;
           }),
           "the dialog takes no clicks");
    RECT item{};
    Expect(SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(Int()),
                        reinterpret_cast<LPARAM>(&item)) != LB_ERR,
           "no such entry");
    POINT at{item.left + 20, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    for (int click = 0; click < 2; ++click) {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
}

// A text pattern and a timeout: what `read` gives comes to match the pattern.
void Comes(const std::string& what, const std::function<std::string()>& read) {
    const std::string pattern = Take();
    std::string seen;
    const auto matches = [&] { return Matches((seen = read()).c_str(), pattern.c_str()); };
    Expect(WaitUntil(Ms(), matches), what + " \"" + seen + "\"");
}

// The steps, each with its arguments; a timeout in milliseconds ends those of one that waits.
const std::map<std::string, Step> steps{
    {"dialog", [] { dialog = mainDialog = WaitForWindow("#32770", "ZR640"); }},  // timeout
    {"route", [] { dialog = WaitForWindow("#32770", "Strecke w\xE4hlen"); }},  // timeout
    {"main", [] { dialog = mainDialog; }},
    {"double-click-entry", DoubleClickEntry},
    {"type", [] { for (char c : Take()) TypeCharacter(c); }},  // text
    {"shows", [] {  // id, text, timeout: the control comes to show the text (typed keys have
                    // been taken)
         HWND item = Item(Int());
         Wait([item, text = Take()] { return TextOf(item) == text; });
     }},
    {"has-focus", [] {  // id, timeout: the control comes to have the keyboard focus
         const int id = Int();
         Wait([id] { return FocusedWindow() == Item(id); });
     }},
    {"rows", [] {  // n: the route dialog's records list shows n rows
         Wait([n = Int()] {
             return SendMessageA(Item(IDC_ROUTE_RECORDS), LVM_GETITEMCOUNT, 0, 0) == n;
         });
     }},
    {"items", [] {  // id, n, n texts: what a list box holds
         HWND list = Item(Int());
         const int n = Int();
         std::vector<std::string> wanted;
         for (int i = 0; i < n; ++i) wanted.push_back(Take());
         const auto items = Entries(list);
         std::string held;
         for (const auto& item : items) held += " \"" + item + "\"";
         Expect(items == wanted, "the list holds" + held);
     }},
    {"enabled", [] {  // id, 0 or 1
         HWND item = Item(Int());
         Expect((IsWindowEnabled(item) != 0) == (Int() != 0), "another state");
     }},
    {"gone", [] { Wait([w = Dialog()] { return !IsWindow(w); }); }},  // timeout
    {"box", CloseBox},
    {"choose", Choose},
    {"editor", [] { PostMessageA(WaitForWindow(nullptr, Take()), WM_CLOSE, 0, 0); }},  // caption
    {"click", [] { Click(false); }},
    {"press", [] { Click(true); }},
    {"escape", [] { PressKey(VK_ESCAPE); }},
    {"enter", [] { PressKey(VK_RETURN); }},
    {"keys", PressKeys},
    {"focus", [] {  // id: the control gets the keyboard focus, before the next step
         HWND item = Item(Int());
         PostMessageA(Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
         Expect(WaitUntil(5000, [item] { return FocusedWindow() == item; }), "no focus there");
     }},
    {"select", [] {  // text pattern: the first entry that matches is selected
         const std::string pattern = Take();
         const auto entries = Entries(Item(IDC_LOG));
         const auto found = std::ranges::find_if(
             entries, [&](auto& e) { return Matches(e.c_str(), pattern.c_str()); });
         Expect(found != entries.end(), "no entry \"" + pattern + "\"");
         SendMessageA(Item(IDC_LOG), LB_SETCURSEL, static_cast<WPARAM>(found - entries.begin()), 0);
     }},
    {"clear-clipboard", [] {
         Expect(OpenClipboard(nullptr) && EmptyClipboard(), "the clipboard cannot be emptied");
         CloseClipboard();
     }},
    {"clipboard", [] { Comes("the clipboard holds", ClipboardText); }},  // pattern, timeout
    {"save-clipboard", [] {  // path: the clipboard's text, as ClipboardText gives it
         FILE* file = std::fopen(Take().c_str(), "wb");
         const std::string text = ClipboardText();
         Expect(file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size(),
                "the clipboard's text cannot be written");
         std::fclose(file);
     }},
    {"title", [] { Comes("the title is", [] { return TextOf(Dialog()); }); }},  // likewise
    {"system-menu", [] { Comes("the system menu holds", SystemMenuEntries); }},  // likewise
    {"close", [] { PostMessageA(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"entries", [] { for (int i = 0, n = Int(); i < n; ++i) ExpectEntry(i); }},  // n, n texts
    {"entry-begins", [] { ExpectEntry(Int(), "*"); }},  // index, text
    {"count", [] {  // n: the log holds n entries, and the last one is selected
         const int n = Int();
         Expect(Count() == n && SendMessageA(Log(), LB_GETCURSEL, 0, 0) == n - 1,
                "not so many entries with the last selected");
     }},
    {"wait-count", [] { Wait([n = Int()] { return Count() >= n; }); }},  // n
    {"grows", [] { Wait([n = Count() + Int()] { return Count() >= n; }); }},  // by n
    {"wait-ending", [] {  // text: an entry that ends so
         const auto endsSo = [end = Take()](auto& entry) { return entry.ends_with(end); };
         Wait([&] { return std::ranges::any_of(Entries(Log()), endsSo); });
     }},
    {"endings", [] {  // text, n, timeout: n entries end so, and no more
         const std::string end = Take();
         const auto endingSo = [&end] {
             return std::ranges::count_if(Entries(Item(IDC_LOG)),
                                          [&end](auto& entry) { return entry.ends_with(end); });
         };
         const int n = Int();
         Wait([&] { return endingSo() >= n; });
         Expect(endingSo() == n, "more entries end so");
     }},
    {"steady", [] {  // milliseconds: the log does not grow meanwhile
         const int before = Count();
         Sleep(Ms());
         Expect(Count() == before, "the log grew");
     }},
    {"responsive", Responsive},
    {"buttons", [] {  // 0 (greyed) or 1: the buttons that a transfer greys
         Wait([on = Int() != 0] {
             const auto shown = [&](int id) { return (IsWindowEnabled(Item(id)) != 0) == on; };
             return std::ranges::all_of(std::vector{IDC_RUN, IDC_UPDATE, IDC_REPLACE, IDC_CHOOSE,
                                                    IDC_EDIT, IDC_SET_TASK}, shown);
         });
     }},
    {"checked", [] {  // id, 0 or 1: an indicator's check mark comes or goes
         HWND indicator = Item(Int());
         Wait([indicator, on = Int() != 0] {
             return (SendMessageA(indicator, BM_GETCHECK, 0, 0) == BST_CHECKED) == on;
         });
     }},
    {"text", [] {  // id, text: what the control shows
         const std::string text = TextOf(Item(Int()));
         Expect(text == Take(), "the control shows \"" + text + "\"");
     }},
    {"layout", CheckLayout},
    {"template", CheckTemplate},
    // For screenshots: the dialog in front with its title bar lit, a pause, where it is.
    {"activate", [] { SetForegroundWindow(Dialog()); }},
    {"sleep", [] { Sleep(Ms()); }},
    {"window-geometry", [] {
         RECT r{};
         GetWindowRect(Dialog(), &r);
         std::printf("geometry: %ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left,
                     r.top);
     }},
};

}  // namespace zr640::driver

int main(int argc, char** argv) {
    using namespace zr640::driver;
    args.assign(argv + 1, argv + argc);
    std::string step;
    try {
        while (nextArg < args.size()) {
            step = Take();
            const auto found = steps.find(step);
            (found != steps.end() ? found->second : kMeasuringSteps.at(step))();
        }
    } catch (const std::exception& failure) {  // a step's, an unknown one, or a number that is none
        std::fprintf(stderr, "driver: %s: %s; the log holds:\n", step.c_str(), failure.what());
        for (const auto& entry : Entries(GetDlgItem(mainDialog, IDC_LOG))) {
            std::fprintf(stderr, "%s\n", entry.c_str());
        }
        return 1;
    }
    return 0;
}
