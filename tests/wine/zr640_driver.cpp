// Drives zr640.exe under Wine from outside, as a user would: finds its windows, presses its
// buttons, reads the event log and the message boxes, fills in the file chooser. The steps come
// from the command line and run in order; the first one that fails ends the driver with exit
// code 1 and a line on standard error. Texts on the command line and on the output are UTF-8.
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kMessageTimeoutMs = 2000;

struct StepFailure {
    std::string message;
};

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size, nullptr, nullptr);
    return result;
}

// Makes a visible text of one that may hold line feeds and carriage returns.
std::string Shown(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\r') {
            escaped += L"\\r";
        } else {
            escaped += c;
        }
    }
    return "\"" + Utf8(escaped) + "\"";
}

// The command line spells a line feed as \n and a carriage return as \r.
std::wstring Unescape(const std::wstring& text) {
    std::wstring result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size()) {
            const wchar_t next = text[i + 1];
            if (next == L'n' || next == L'r' || next == L'\\') {
                result += next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\\';
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

[[noreturn]] void Fail(const std::string& message) { throw StepFailure{message}; }

void Expect(bool condition, const std::string& message) {
    if (!condition) {
        Fail(message);
    }
}

// Polls until the condition holds; the other process gives no event to wait on.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(kPollMs);
    }
}

// Asks the window for an answer every few milliseconds until the condition holds, as the
// system does when it decides whether a window hangs, and prints how long the answers took.
void ProbeUntil(HWND window, DWORD timeoutMs, const std::function<bool()>& condition) {
    constexpr UINT kHungMs = 250;
    std::vector<ULONGLONG> answerMs;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        Expect(GetTickCount64() < deadline, "the awaited entry did not come");
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR result = 0;
        Expect(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kHungMs, &result) != 0,
               "the dialog did not answer within 250 ms");
        answerMs.push_back(GetTickCount64() - start);
        Sleep(10);
    }
    std::sort(answerMs.begin(), answerMs.end());
    const ULONGLONG longest = answerMs.empty() ? 0 : answerMs.back();
    const ULONGLONG p99 = answerMs.empty() ? 0 : answerMs[answerMs.size() * 99 / 100];
    std::printf("responsive: %zu probes, longest %llu ms, 99th percentile %llu ms\n",
                answerMs.size(), longest, p99);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// WM_GETTEXT is carried across processes; GetWindowText would only see the cached caption.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        Fail("no answer to WM_GETTEXTLENGTH");
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

HWND FindTopLevel(const std::wstring& className, const std::wstring& caption, bool prefixOnly) {
    struct Search {
        std::wstring className;
        std::wstring caption;
        bool prefixOnly;
        HWND found = nullptr;
    } search{className, caption, prefixOnly};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() || !IsWindowVisible(window)) {
                return TRUE;
            }
            if (!s.className.empty() && ClassOf(window) != s.className) {
                return TRUE;
            }
            wchar_t title[512] = {};
            GetWindowTextW(window, title, 512);
            const std::wstring text = title;
            const bool matches = s.prefixOnly ? text.find(s.caption) != std::wstring::npos
                                              : text == s.caption;
            if (matches) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevel(const std::wstring& className, const std::wstring& caption, DWORD timeoutMs,
                     bool prefixOnly = false) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        found = FindTopLevel(className, caption, prefixOnly);
        return found != nullptr;
    });
    if (found == nullptr) {
        Fail("no window \"" + Utf8(caption) + "\" within " + std::to_string(timeoutMs) + " ms");
    }
    return found;
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND Item(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    Expect(item != nullptr, "the dialog has no control " + std::to_string(id));
    return item;
}

// The entries from `first` on (all of them by default).
std::vector<std::wstring> ListEntries(HWND list, LRESULT first = 0) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = first; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring entry(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        const LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
        entries.push_back(entry);
    }
    return entries;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

// The message box's text is its one static control with text; the icon has none.
std::wstring MessageBoxText(HWND box) {
    for (HWND child : ChildrenInOrder(box)) {
        if (ClassOf(child) == L"Static") {
            std::wstring text = TextOf(child);
            if (!text.empty()) {
                return text;
            }
        }
    }
    return {};
}

// The last entries of the log, for a failure message.
std::string LogTail(HWND list) {
    constexpr std::size_t kShown = 12;
    const auto entries = ListEntries(list);
    std::string tail = "; the log ends with:";
    const std::size_t first = entries.size() > kShown ? entries.size() - kShown : 0;
    for (std::size_t i = first; i < entries.size(); ++i) {
        tail += "\n  " + std::to_string(i) + ": " + Shown(entries[i]);
    }
    return tail;
}

void PressButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// The key goes to the control that has the focus in the dialog's thread, as if typed.
void PressKey(HWND dialog, WORD virtualKey) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus != nullptr ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

// Dialog units to pixels for the dialog font the template names.
RECT DialogUnitsToPixels(int x, int y, int width, int height) {
    // A template of its own with the same font: MapDialogRect only works in this process.
    std::vector<WORD> tmpl;
    auto add = [&tmpl](std::initializer_list<WORD> words) { tmpl.insert(tmpl.end(), words); };
    const DWORD style = WS_POPUP | DS_SETFONT;
    add({LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 0, 10, 10, 0, 0, 0, 8});
    for (const wchar_t* c = L"MS Sans Serif"; *c != 0; ++c) {
        tmpl.push_back(static_cast<WORD>(*c));
    }
    tmpl.push_back(0);
    HWND probe = CreateDialogIndirectW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; });
    Expect(probe != nullptr, "cannot create a probe dialog for the dialog units");
    // The dialog manager converts position and size each on its own, and so must we: their
    // roundings add up differently from those of the far corner's.
    RECT position{x, y, x, y};
    MapDialogRect(probe, &position);
    RECT size{0, 0, width, height};
    MapDialogRect(probe, &size);
    DestroyWindow(probe);
    return RECT{position.left, position.top, position.left + size.right,
                position.top + size.bottom};
}

struct ControlRow {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // null: the icon, ordinal 1
    int x, y, width, height;
    DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlRow kControls[] = {
    {3, L"Static", nullptr, 4, 4, 21, 20, kChild | SS_ICON},
    {101, L"Edit", L"", 36, 8, 292, 12, kChild | WS_BORDER | WS_TABSTOP | ES_MULTILINE},
    {102, L"Button", L"Run", 412, 8, 50, 14, kChild | WS_TABSTOP | BS_CENTER},
    {103, L"Button", L"RX", 344, 8, 28, 12, kChild | WS_TABSTOP | BS_AUTORADIOBUTTON},
    {104, L"Button", L"TX", 372, 8, 28, 12, kChild | WS_TABSTOP | BS_AUTORADIOBUTTON},
    {110, L"ListBox", L"", 8, 32, 488, 280,
     kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_DISABLENOSCROLL |
         LBS_NOTIFY},
    {120, L"Button", L"Wendepunktdatei", 8, 316, 488, 48, kChild | WS_GROUP | BS_GROUPBOX},
    {109, L"Edit", L"", 12, 324, 372, 12,
     kChild | WS_BORDER | WS_HSCROLL | WS_TABSTOP | ES_AUTOHSCROLL},
    {118, L"Button", L"W\u00e4hlen", 388, 324, 50, 14, kChild | WS_TABSTOP | BS_CENTER},
    {119, L"Button", L"Edit", 440, 324, 50, 14, kChild | WS_TABSTOP | BS_CENTER},
    {117, L"Button", L"Replace WP's", 16, 344, 50, 14, kChild | WS_TABSTOP | BS_CENTER},
    {116, L"Button", L"Update WP's", 76, 344, 50, 14, kChild | WS_TABSTOP | BS_CENTER},
    {123, L"Button", L"Strecke setzen", 164, 344, 52, 14, kChild | WS_TABSTOP | BS_CENTER},
};
constexpr DWORD kDialogStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// The application manifest: Common Controls 6, DPI awareness per monitor, Windows 7 to 11,
// the user's own rights.
const char* const kManifestDeclarations[] = {
    "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">true/pm</dpiAware>",
    ">PerMonitorV2, PerMonitor</dpiAwareness>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
    "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"};

// Reads the pieces of a dialog template in the order the resource format lays them out.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}

    WORD Word() {
        WORD value = 0;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    DWORD Dword() {
        const WORD low = Word();
        return static_cast<DWORD>(low) | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    // A string, or 0xFFFF and an ordinal, shown as "#n".
    std::wstring StringOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Word());
        }
        std::wstring text;
        for (WORD c = first; c != 0; c = Word()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    void AlignToDword() {
        while ((at_ - base_) % 4 != 0) {
            ++at_;
        }
    }

private:
    const BYTE* base_;
    const BYTE* at_;
};

const BYTE* LoadResourceBytes(HMODULE module, int id, LPCWSTR type, DWORD* size) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    Expect(found != nullptr, "resource " + std::to_string(id) + " missing");
    *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// Dialog template 100, icon 1 and the manifest of the program file, field by field.
void CheckTemplate(const std::wstring& exePath) {
    HMODULE module = LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Expect(module != nullptr, "cannot load " + Utf8(exePath) + " as a data file");
    DWORD size = 0;
    TemplateReader t(LoadResourceBytes(module, 100, MAKEINTRESOURCEW(5), &size));
    const DWORD style = t.Dword();
    Expect(style == kDialogStyle, "dialog style " + Hex(style) + ", wanted " + Hex(kDialogStyle));
    Expect(t.Dword() == 0, "the dialog has an extended style");
    const WORD count = t.Word();
    Expect(count == 13, "the template holds " + std::to_string(count) + " controls");
    const short x = t.Short(), y = t.Short(), cx = t.Short(), cy = t.Short();
    Expect(x == 0 && y == 0 && cx == 506 && cy == 375, "dialog position or size differs");
    Expect(t.StringOrOrdinal().empty(), "the dialog has a menu");
    Expect(t.StringOrOrdinal().empty(), "the dialog has a class of its own");
    Expect(t.StringOrOrdinal() == L"ZR640", "caption differs");
    Expect(t.Word() == 8 && t.StringOrOrdinal() == L"MS Sans Serif", "font differs");
    for (const ControlRow& row : kControls) {
        t.AlignToDword();
        const std::string which = "control " + std::to_string(row.id) + ": ";
        const DWORD itemStyle = t.Dword();
        Expect(itemStyle == row.style, which + "style " + Hex(itemStyle) + ", wanted " +
                                           Hex(row.style));
        Expect(t.Dword() == 0, which + "has an extended style");
        const short ix = t.Short(), iy = t.Short(), iw = t.Short(), ih = t.Short();
        Expect(ix == row.x && iy == row.y && iw == row.width && ih == row.height,
               which + "position or size differs");
        const WORD id = t.Word();
        Expect(id == row.id, which + "found id " + std::to_string(id) + " in its place");
        const std::wstring className = t.StringOrOrdinal();
        const std::wstring atoms[] = {L"#128", L"#129", L"#130", L"#131"};
        const std::wstring names[] = {L"Button", L"Edit", L"Static", L"ListBox"};
        // The class may be stored as its name or as the system's atom for it.
        bool classMatches = _wcsicmp(className.c_str(), row.className) == 0;
        for (int i = 0; i < 4; ++i) {
            classMatches |= className == atoms[i] && names[i] == row.className;
        }
        Expect(classMatches, which + "class " + Utf8(className));
        const std::wstring text = t.StringOrOrdinal();
        Expect(text == (row.text != nullptr ? std::wstring(row.text) : L"#1"),
               which + "text " + Shown(text));
        Expect(t.Word() == 0, which + "carries creation data");
    }

    const BYTE* group = LoadResourceBytes(module, 1, MAKEINTRESOURCEW(14), &size);
    TemplateReader g(group);
    g.Word();
    Expect(g.Word() == 1 && g.Word() == 1, "icon 1 is not one icon image");
    const BYTE width = group[6], height = group[7];
    TemplateReader entry(group + 10);
    entry.Word();  // planes
    const WORD bits = entry.Word();
    Expect(width == 32 && height == 32 && bits == 24, "icon image is not 32 x 32 x 24");
    entry.Dword();
    const WORD imageId = entry.Word();
    const BYTE* image = LoadResourceBytes(module, imageId, MAKEINTRESOURCEW(3), &size);
    BITMAPINFOHEADER header{};
    std::memcpy(&header, image, sizeof header);
    Expect(header.biWidth == 32 && header.biHeight == 64 && header.biBitCount == 24,
           "icon bitmap is not 32 x 32 x 24");

    const BYTE* manifestData = LoadResourceBytes(module, 1, MAKEINTRESOURCEW(24), &size);
    const std::string manifest(reinterpret_cast<const char*>(manifestData), size);
    for (const char* declaration : kManifestDeclarations) {
        Expect(manifest.find(declaration) != std::string::npos,
               std::string("the manifest lacks ") + declaration);
    }
    Expect(manifest.find("activeCodePage") == std::string::npos, "the manifest sets a code page");
    FreeLibrary(module);
    std::printf("template: dialog 100 with 13 controls, icon 1 and manifest 1 as listed\n");
}

// Common Controls 6 in the dialog's process: DllGetVersion of its comctl32.dll tells on Windows;
// Wine's answers 5.81 from every copy, and there the assembly it was loaded from tells.
void CheckCommonControls(HWND dialog) {
    DWORD process = 0;
    GetWindowThreadProcessId(dialog, &process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool version6 = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more;
         more = Module32NextW(snapshot, &entry)) {
        std::wstring path = entry.szExePath;
        CharLowerW(path.data());
        if (path.ends_with(L"\\comctl32.dll")) {
            auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(
                GetProcAddress(LoadLibraryW(path.c_str()), "DllGetVersion")));
            DLLVERSIONINFO info{sizeof info, 0, 0, 0, 0};
            version6 |= (getVersion != nullptr && getVersion(&info) == S_OK &&
                         info.dwMajorVersion == 6) ||
                        path.find(L"common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
            std::printf("comctl32 %lu: %s\n", info.dwMajorVersion, Utf8(path).c_str());
        }
    }
    CloseHandle(snapshot);
    Expect(version6, "the program has no Common Controls 6 loaded");
}

// The live dialog: where it opens, its fixed frame and its controls in creation order.
void CheckLayout(HWND dialog) {
    RECT window{};
    GetWindowRect(dialog, &window);
    Expect(window.left == 0 && window.top == 0, "the dialog does not open at the top left");
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    Expect((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0,
           "the dialog can be resized, minimised or maximised");
    Expect((style & WS_SYSMENU) != 0, "the dialog has no close box");
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT wanted = DialogUnitsToPixels(0, 0, 506, 375);
    Expect(client.right == wanted.right && client.bottom == wanted.bottom,
           "client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
               ", wanted " + std::to_string(wanted.right) + "x" + std::to_string(wanted.bottom));
    const std::vector<HWND> children = ChildrenInOrder(dialog);
    Expect(children.size() == 13, "the dialog has " + std::to_string(children.size()) +
                                      " controls");
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ControlRow& row = kControls[i];
        HWND child = children[i];
        const std::string which = "control " + std::to_string(i + 1) + ": ";
        Expect(GetDlgCtrlID(child) == row.id,
               which + "id " + std::to_string(GetDlgCtrlID(child)) + ", wanted " +
                   std::to_string(row.id));
        Expect(_wcsicmp(ClassOf(child).c_str(), row.className) == 0,
               which + "class " + Utf8(ClassOf(child)));
        // The edit fields and the list hold what the program writes; the rest keep their labels.
        if (row.text != nullptr && *row.text != 0) {
            Expect(TextOf(child) == row.text, which + "text " + Shown(TextOf(child)));
        }
        Expect(IsWindowVisible(child) && IsWindowEnabled(child), which + "hidden or disabled");
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        const RECT place = DialogUnitsToPixels(row.x, row.y, row.width, row.height);
        // A static icon takes the size of its picture, and a list box without
        // LBS_NOINTEGRALHEIGHT trims its height to whole lines; the rest keep their size.
        const bool isIcon = row.text == nullptr;
        const bool isList = row.id == 110;
        const bool sized = isIcon || (rect.right == place.right &&
                                      (isList ? rect.bottom <= place.bottom
                                              : rect.bottom == place.bottom));
        Expect(rect.left == place.left && rect.top == place.top && sized,
               which + "at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "-" +
                   std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ", wanted " +
                   std::to_string(place.left) + "," + std::to_string(place.top) + "-" +
                   std::to_string(place.right) + "," + std::to_string(place.bottom));
    }
    std::printf("layout: 13 controls in order at their places, fixed frame at 0,0\n");
}

class Driver {
public:
    explicit Driver(std::vector<std::wstring> args) : args_(std::move(args)) {}

    void Run() {
        while (next_ < args_.size()) {
            const std::wstring step = Take();
            RunStep(step);
        }
    }

private:
    std::wstring Take() {
        if (next_ >= args_.size()) {
            Fail("a step lacks its arguments");
        }
        return args_[next_++];
    }
    int TakeInt() { return std::stoi(Take()); }
    DWORD TakeMs() { return static_cast<DWORD>(std::stoul(Take())); }

    HWND Dialog() {
        Expect(dialog_ != nullptr && IsWindow(dialog_), "no dialog (run the step dialog first)");
        return dialog_;
    }

    void RunStep(const std::wstring& step) {
        if (step == L"dialog") {  // timeout
            dialog_ = WaitForTopLevel(L"#32770", L"ZR640", TakeMs());
        } else if (step == L"gone") {  // timeout
            const DWORD timeout = TakeMs();
            HWND dialog = Dialog();
            Expect(WaitUntil(timeout, [&] { return !IsWindow(dialog); }),
                   "the dialog is still open");
        } else if (step == L"box" || step == L"box-has") {  // caption, text (or part), timeout
            const std::wstring caption = Take();
            const std::wstring text = Unescape(Take());
            HWND box = WaitForTopLevel(L"#32770", caption, TakeMs());
            const std::wstring shown = MessageBoxText(box);
            std::printf("box %s: %s\n", Shown(caption).c_str(), Shown(shown).c_str());
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            Expect(WaitUntil(5000, [&] { return !IsWindow(box); }), "the box stays open");
            const bool found = step == L"box" ? shown == text : shown.find(text) != shown.npos;
            Expect(found, "message box text " + Shown(shown) + ", wanted " + Shown(text));
        } else if (step == L"click") {  // id
            PressButton(Item(Dialog(), TakeInt()));
        } else if (step == L"press") {  // id: a click that returns once its command has run
            // Only for commands that open no window: the call waits for the handler.
            DWORD_PTR result = 0;
            Expect(SendMessageTimeoutW(Item(Dialog(), TakeInt()), BM_CLICK, 0, 0,
                                       SMTO_ABORTIFHUNG, 30000, &result) != 0,
                   "the click was not handled within 30 s");
        } else if (step == L"command") {  // id
            PostMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(TakeInt(), BN_CLICKED), 0);
        } else if (step == L"escape") {
            PressKey(Dialog(), VK_ESCAPE);
        } else if (step == L"enter") {
            PressKey(Dialog(), VK_RETURN);
        } else if (step == L"close") {
            PostMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (step == L"entries") {  // n, then n texts: the first n entries exactly
            const int count = TakeInt();
            std::vector<std::wstring> wanted;
            for (int i = 0; i < count; ++i) {
                wanted.push_back(Unescape(Take()));
            }
            const auto entries = ListEntries(Item(Dialog(), 110));
            Expect(entries.size() >= wanted.size(),
                   "the log holds " + std::to_string(entries.size()) + " entries");
            for (std::size_t i = 0; i < wanted.size(); ++i) {
                Expect(entries[i] == wanted[i], "entry " + std::to_string(i) + " is " +
                                                    Shown(entries[i]) + ", wanted " +
                                                    Shown(wanted[i]));
            }
        } else if (step == L"count") {  // n: the log holds exactly n entries
            const int wanted = TakeInt();
            const int count = ListCount(Item(Dialog(), 110));
            Expect(count == wanted, "the log holds " + std::to_string(count) +
                                        " entries, wanted " + std::to_string(wanted) +
                                        LogTail(Item(Dialog(), 110)));
        } else if (step == L"wait-ending") {  // text, timeout: an entry that ends so
            const std::wstring wanted = Unescape(Take());
            const DWORD timeout = TakeMs();
            HWND list = Item(Dialog(), 110);
            const bool found = WaitUntil(timeout, [&] {
                for (const auto& entry : ListEntries(list)) {
                    if (entry.size() >= wanted.size() &&
                        entry.compare(entry.size() - wanted.size(), wanted.size(), wanted) == 0) {
                        return true;
                    }
                }
                return false;
            });
            Expect(found, "no log entry ending in " + Shown(wanted) + LogTail(list));
        } else if (step == L"entry-begins") {  // index, text
            const std::size_t index = static_cast<std::size_t>(TakeInt());
            const std::wstring wanted = Unescape(Take());
            HWND list = Item(Dialog(), 110);
            const auto entries = ListEntries(list);
            Expect(index < entries.size() && entries[index].rfind(wanted, 0) == 0,
                   "entry " + std::to_string(index) + " does not begin with " + Shown(wanted) +
                       LogTail(list));
        } else if (step == L"wait-count") {  // n, timeout: at least n entries
            const int wanted = TakeInt();
            const DWORD timeout = TakeMs();
            HWND list = Item(Dialog(), 110);
            Expect(WaitUntil(timeout, [&] { return ListCount(list) >= wanted; }),
                   "the log did not reach " + std::to_string(wanted) + " entries");
        } else if (step == L"responsive") {  // prefix, timeout: answers until an entry so begins
            const std::wstring wanted = Unescape(Take());
            HWND list = Item(Dialog(), 110);
            LRESULT read = 0;  // only the new entries, so that the probes keep their pace
            ProbeUntil(Dialog(), TakeMs(), [&] {
                const auto entries = ListEntries(list, read);
                read += static_cast<LRESULT>(entries.size());
                for (const auto& entry : entries) {
                    if (entry.rfind(wanted, 0) == 0) return true;
                }
                return false;
            });
        } else if (step == L"buttons") {  // 0 or 1, timeout: the busy buttons greyed or not
            const bool wanted = TakeInt() != 0;
            const DWORD timeout = TakeMs();
            Expect(WaitUntil(timeout, [&] {
                       for (int id : {102, 116, 117, 118, 119, 123}) {
                           if ((IsWindowEnabled(Item(Dialog(), id)) != FALSE) != wanted) return false;
                       }
                       return true;
                   }),
                   wanted ? "the buttons stay greyed" : "the buttons are not greyed");
        } else if (step == L"steady") {  // milliseconds: the log does not grow meanwhile
            HWND list = Item(Dialog(), 110);
            const int before = ListCount(list);
            Sleep(TakeMs());
            const int after = ListCount(list);
            std::printf("steady: %d entries before, %d after\n", before, after);
            Expect(after == before, "the log grew from " + std::to_string(before) + " to " +
                                        std::to_string(after) + " entries");
        } else if (step == L"grows") {  // by n, timeout
            HWND list = Item(Dialog(), 110);
            const int by = TakeInt();
            const int before = ListCount(list);
            Expect(WaitUntil(TakeMs(), [&] { return ListCount(list) >= before + by; }),
                   "the log did not grow by " + std::to_string(by) + " from " +
                       std::to_string(before));
            std::printf("grows: %d entries before, %d now\n", before, ListCount(list));
        } else if (step == L"text") {  // id, text
            const int id = TakeInt();
            const std::wstring wanted = Unescape(Take());
            const std::wstring text = TextOf(Item(Dialog(), id));
            Expect(text == wanted, "control " + std::to_string(id) + " shows " + Shown(text) +
                                       ", wanted " + Shown(wanted));
        } else if (step == L"print-log") {
            for (const auto& entry : ListEntries(Item(Dialog(), 110))) {
                std::printf("log: %s\n", Shown(entry).c_str());
            }
        } else if (step == L"choose") {  // title, filter shown, file name, timeout
            const std::wstring title = Take();
            const std::wstring filter = Take();
            const std::wstring name = Take();
            HWND chooser = WaitForTopLevel(L"#32770", title, TakeMs());
            FillChooser(chooser, filter, name);
        } else if (step == L"cancel-chooser") {  // title, timeout
            const std::wstring title = Take();
            HWND chooser = WaitForTopLevel(L"#32770", title, TakeMs());
            PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            Expect(WaitUntil(5000, [&] { return !IsWindow(chooser); }), "the chooser stays");
        } else if (step == L"editor") {  // part of its caption, timeout
            const std::wstring caption = Take();
            HWND editor = WaitForTopLevel(L"", caption, TakeMs(), true);
            wchar_t title[512] = {};
            GetWindowTextW(editor, title, 512);
            std::printf("editor: %s\n", Shown(title).c_str());
            PostMessageW(editor, WM_CLOSE, 0, 0);
        } else if (step == L"sleep") {  // milliseconds
            Sleep(TakeMs());
        } else if (step == L"template") {  // path of the program file
            CheckTemplate(Take());
        } else if (step == L"common-controls") {
            CheckCommonControls(Dialog());
        } else if (step == L"layout") {
            CheckLayout(Dialog());
        } else if (step == L"activate") {  // brings the dialog to the front, title bar lit
            SetForegroundWindow(Dialog());
        } else if (step == L"window-geometry" || step == L"item-geometry") {
            // WxH+X+Y on the screen of the dialog's frame or of one control (id)
            HWND window = step == L"window-geometry" ? Dialog() : Item(Dialog(), TakeInt());
            RECT rect{};
            GetWindowRect(window, &rect);
            std::printf("geometry: %ldx%ld+%ld+%ld\n", rect.right - rect.left,
                        rect.bottom - rect.top, rect.left, rect.top);
        } else {
            Fail("unknown step " + Utf8(step));
        }
        std::fflush(stdout);
    }

    // Types the name into the chooser's file name field and presses its OK button.
    void FillChooser(HWND chooser, const std::wstring& filter, const std::wstring& name) {
        constexpr int kFileTypeBox = 0x470;  // cmb1
        constexpr int kFileNameBox = 0x47C;  // cmb13
        constexpr int kFileNameEdit = 0x480;  // edt1
        HWND types = GetDlgItem(chooser, kFileTypeBox);
        Expect(types != nullptr, "the chooser has no file type box");
        const std::wstring shownFilter = TextOf(types);
        std::printf("chooser filter: %s\n", Shown(shownFilter).c_str());
        Expect(shownFilter.rfind(filter, 0) == 0, "the chooser's file type is " +
                                                      Shown(shownFilter));
        HWND field = GetDlgItem(chooser, kFileNameBox);
        if (field == nullptr) {
            field = GetDlgItem(chooser, kFileNameEdit);
        }
        Expect(field != nullptr, "the chooser has no file name field");
        DWORD_PTR result = 0;
        SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                            SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
        PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Expect(WaitUntil(5000, [&] { return !IsWindow(chooser); }), "the chooser stays open");
    }

    std::vector<std::wstring> args_;
    std::size_t next_ = 0;
    HWND dialog_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    try {
        Driver(std::move(args)).Run();
    } catch (const StepFailure& failure) {
        std::fprintf(stderr, "driver: %s\n", failure.message.c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "driver: bad arguments (%s)\n", error.what());
        return 2;
    }
    return 0;
}
