// Works zr640.exe under Wine from outside, as a user would: finds its windows, presses its
// buttons, reads the event log and the message boxes, fills in the file chooser, and checks
// what the user sees of the dialog, the program file and the line. The steps come from the
// command line and run in order (Steps() lists them with their arguments); the first that fails
// ends the driver with exit code 1 and a line on standard error. Texts are Windows-1252, as the
// dialog's; in those a step expects, \n and \r stand for a line feed and a carriage return.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialog_layout.h"

namespace {

void Expect(bool condition, const std::string& message) {
    if (!condition) throw std::runtime_error(message);
}

std::string Unescape(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const bool escape = text[i] == '\\' && (next == 'n' || next == 'r' || next == '\\');
        result += !escape ? text[i] : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        i += escape ? 1 : 0;
    }
    return result;
}

// A text against a pattern in which '*' stands for any run of characters.
bool Matches(const char* text, const char* pattern) {
    if (*pattern == '*') return Matches(text, pattern + 1) || (*text && Matches(text + 1, pattern));
    return *pattern == *text && (*text == '\0' || Matches(text + 1, pattern + 1));
}

// Polls until the condition holds: the other process gives no event to wait on.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

// WM_GETTEXT is carried across processes; GetWindowText would only see the cached caption.
std::string TextOf(HWND window) {
    char text[4096] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

// A visible window of another process with this class (any when null) and this caption (or,
// with `partial`, one that holds it), within the time.
HWND WaitForWindow(const char* className, const std::string& caption, DWORD timeoutMs,
                   bool partial = false) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        while ((found = FindWindowExA(nullptr, found, className, nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            char title[512] = {};
            GetWindowTextA(found, title, sizeof title);
            if (process != GetCurrentProcessId() && IsWindowVisible(found) &&
                (partial ? std::strstr(title, caption.c_str()) != nullptr : caption == title)) {
                return true;
            }
        }
        return false;
    });
    Expect(found != nullptr, "no window \"" + caption + "\" within " + std::to_string(timeoutMs));
    return found;
}

// Closes a box or the chooser with one of its buttons, and waits until it has gone.
void Dismiss(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    Expect(WaitUntil(5000, [&] { return !IsWindow(window); }), "a window stays open");
}

// The list's entries from `first` on (an entry holds at most 2047 characters). Wine carries
// LB_GETTEXT to another process only in its wide form.
std::vector<std::string> Entries(HWND list, LRESULT first = 0) {
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

class Driver {
public:
    explicit Driver(std::vector<std::string> args) : args_(std::move(args)) {}

    bool More() const { return next_ < args_.size(); }
    std::string Take() {
        Expect(More(), "a step lacks its arguments");
        return args_[next_++];
    }
    std::string Text() { return Unescape(Take()); }
    int Int() { return std::stoi(Take()); }
    DWORD Ms() { return static_cast<DWORD>(std::stoul(Take())); }

    HWND Dialog() const {
        Expect(dialog != nullptr && IsWindow(dialog), "no dialog (run the step dialog first)");
        return dialog;
    }
    HWND Item(int id) const {
        Expect(GetDlgItem(Dialog(), id) != nullptr, "no control " + std::to_string(id));
        return GetDlgItem(Dialog(), id);
    }
    HWND List() const { return Item(IDC_LOG); }
    int Count() const { return static_cast<int>(SendMessageA(List(), LB_GETCOUNT, 0, 0)); }
    // The last entries of the log, for a failure message.
    std::string Tail() const {
        std::string tail = "; the log ends with:";
        for (const auto& entry : Entries(List(), std::max(Count() - 12, 0))) tail += "\n" + entry;
        return tail;
    }

    HWND dialog = nullptr;

private:
    std::vector<std::string> args_;
    std::size_t next_ = 0;
};

// The key goes to the control that has the focus in the dialog's thread, as if typed; when no
// control has it, the system hands the dialog a system key, which the dialog does not act on.
void PressKey(Driver& d, WORD virtualKey) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(d.Dialog(), nullptr), &info);
    const bool focus = info.hwndFocus != nullptr;
    HWND target = focus ? info.hwndFocus : d.Dialog();
    PostMessageA(target, focus ? WM_KEYDOWN : WM_SYSKEYDOWN, virtualKey, 1);
    PostMessageA(target, focus ? WM_KEYUP : WM_SYSKEYUP, virtualKey, LPARAM{0xC0000001});
}

void CloseBox(Driver& d) {  // caption, text ('*' for any run of characters), timeout
    const std::string caption = d.Take(), wanted = d.Text();
    HWND box = WaitForWindow("#32770", caption, d.Ms());
    std::string text;  // of its one static control with text (the icon's has none)
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr && text.empty();
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (_stricmp(name, "Static") == 0) text = TextOf(child);
    }
    std::printf("box \"%s\": \"%s\"\n", caption.c_str(), text.c_str());
    Dismiss(box, IDOK);
    Expect(Matches(text.c_str(), wanted.c_str()), "the box says otherwise");
}

// The entry at `index` is the text, or with `prefix` begins with it.
void ExpectEntry(Driver& d, int index, bool prefix) {
    const std::string wanted = d.Text();
    const auto entries = Entries(d.List(), index);
    Expect(!entries.empty() && (prefix ? entries[0].starts_with(wanted) : entries[0] == wanted),
           "entry " + std::to_string(index) + " is not \"" + wanted + "\"" + d.Tail());
}

void ExpectCount(Driver& d) {  // n: the log holds n entries, and the last one is selected
    const int wanted = d.Int(), count = d.Count();
    Expect(count == wanted && SendMessageA(d.List(), LB_GETCURSEL, 0, 0) == count - 1,
           "not " + std::to_string(wanted) + " entries with the last selected" + d.Tail());
}

void Steady(Driver& d) {  // milliseconds: the log does not grow meanwhile
    const int before = d.Count();
    Sleep(d.Ms());
    std::printf("steady: %d entries before, %d after\n", before, d.Count());
    Expect(d.Count() == before, "the log grew");
}

// Asks the dialog for an answer every 10 ms, as the system does when it decides whether a
// window hangs, until an entry that begins with the text comes; prints how long answers took.
// Each time only the new entries are read, so that the probes keep their pace.
void Responsive(Driver& d) {  // text, timeout
    const std::string wanted = d.Text();
    const ULONGLONG deadline = GetTickCount64() + d.Ms();
    std::vector<ULONGLONG> answerMs{0};
    LRESULT read = 0;
    const auto arrived = [&] {
        const auto entries = Entries(d.List(), read);
        read += static_cast<LRESULT>(entries.size());
        return std::ranges::any_of(entries, [&](auto& e) { return e.starts_with(wanted); });
    };
    while (!arrived()) {
        Expect(GetTickCount64() < deadline, "no entry begins with \"" + wanted + "\"" + d.Tail());
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR result = 0;
        Expect(SendMessageTimeoutA(d.Dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &result),
               "the dialog did not answer within 250 ms");
        answerMs.push_back(GetTickCount64() - start);
        Sleep(10);
    }
    std::ranges::sort(answerMs);
    std::printf("responsive: %zu probes, longest %llu ms, 99th percentile %llu ms\n",
                answerMs.size() - 1, answerMs.back(), answerMs[answerMs.size() * 99 / 100]);
}

void BusyButtons(Driver& d) {  // 0 (greyed) or 1, timeout: the buttons that a transfer greys
    const bool enabled = d.Int() != 0;
    const auto shown = [&](int id) { return (IsWindowEnabled(d.Item(id)) != FALSE) == enabled; };
    Expect(WaitUntil(d.Ms(), [&] {
               return std::ranges::all_of(std::vector{IDC_RUN, IDC_UPDATE, IDC_REPLACE, IDC_CHOOSE,
                                                      IDC_EDIT, IDC_SET_TASK}, shown);
           }),
           enabled ? "the buttons stay greyed" : "the buttons are not greyed");
}

void ExpectText(Driver& d) {  // id, text: what the control shows
    const int id = d.Int();
    const std::string wanted = d.Text(), text = TextOf(d.Item(id));
    Expect(text == wanted, "control " + std::to_string(id) + " shows \"" + text + "\"");
}

// Types the name into the chooser's file name field and presses its OK button.
void Choose(Driver& d) {  // title, start of the file type shown, file name, timeout
    const std::string title = d.Take(), filter = d.Text(), name = d.Text();
    HWND chooser = WaitForWindow("#32770", title, d.Ms());
    const std::string types = TextOf(GetDlgItem(chooser, 0x470));  // cmb1
    Expect(types.starts_with(filter), "the chooser's file type is " + types);
    HWND field = GetDlgItem(chooser, 0x47C);  // cmb13, or in older dialogs edt1
    SendMessageTimeoutA(field != nullptr ? field : GetDlgItem(chooser, 0x480), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
    Dismiss(chooser, IDOK);
}

// Common Controls 6 in the dialog's process: the comctl32.dll it loaded comes from that
// assembly (DllGetVersion would not tell: Wine's answers 5.81 from every copy).
void CheckCommonControls(Driver& d) {
    DWORD process = 0;
    GetWindowThreadProcessId(d.Dialog(), &process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool version6 = false;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
        const std::string path = CharLowerA(entry.szExePath);
        if (path.ends_with("\\comctl32.dll")) {
            std::printf("comctl32: %s\n", path.c_str());
            version6 |= path.find("common-controls_6595b64144ccf1df_6.") != std::string::npos;
        }
    }
    CloseHandle(snapshot);
    Expect(version6, "the program has no Common Controls 6 loaded");
}

// What the user sees of the dialog's frame: at the top left, with a client area of the size
// that the template's dialog units make in its font (MS Sans Serif, 8 points; mapped in a probe
// dialog of this process, since MapDialogRect works only there), and fixed: no sizing border,
// no minimise or maximise box, a close box. The program's icon shows at the top left, and the
// log scrolls 2048 pixels sideways.
void CheckLayout(Driver& d) {
    std::vector<WORD> probe{LOWORD(WS_POPUP | DS_SETFONT), HIWORD(WS_POPUP | DS_SETFONT),
                            0, 0, 0, 0, 0, 10, 10, 0, 0, 0, 8};
    const std::string face = "MS Sans Serif";
    probe.insert(probe.end(), face.c_str(), face.c_str() + face.size() + 1);
    HWND window = CreateDialogIndirectA(GetModuleHandleA(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEA>(probe.data()), nullptr,
                                        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; });
    RECT wanted{0, 0, MAIN_DIALOG_SIZE}, client{}, frame{};
    Expect(window != nullptr && MapDialogRect(window, &wanted), "no probe dialog for the font");
    DestroyWindow(window);
    GetClientRect(d.Dialog(), &client);
    GetWindowRect(d.Dialog(), &frame);
    const LONG style = GetWindowLongA(d.Dialog(), GWL_STYLE);
    std::printf("layout: client area %ldx%ld at %ld,%ld, wanted %ldx%ld at 0,0\n", client.right,
                client.bottom, frame.left, frame.top, wanted.right, wanted.bottom);
    Expect(client.right == wanted.right && client.bottom == wanted.bottom && frame.left == 0 &&
               frame.top == 0, "the dialog is not of its size at its place");
    Expect((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0 &&
               (style & WS_SYSMENU) != 0, "the frame is not fixed or has no close box");
    Expect(SendMessageA(d.Item(IDC_PROGRAM_ICON), STM_GETICON, 0, 0) != 0, "no icon shows");
    Expect(SendMessageA(d.List(), LB_GETHORIZONTALEXTENT, 0, 0) == 2048,
           "the log does not scroll 2048 pixels sideways");
}

// The settings that reached the terminal behind a COM port, as Wine reads them back from it:
// baud rate, parity, data and stop bits as "9600,N,8,2", and no flow control of any kind (it
// would hold back the telemetry's bytes 0x11 and 0x13, or wait for lines no adapter wires).
void CheckLine(Driver& d) {  // port (COM1), settings; the program must have let the port go
    const std::string port = d.Take(), wanted = d.Take();
    HANDLE line = CreateFileA(("\\\\.\\" + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    Expect(line != INVALID_HANDLE_VALUE && GetCommState(line, &dcb), "no settings of " + port);
    CloseHandle(line);
    const std::string settings = std::to_string(dcb.BaudRate) + "," + "NOEMS"[dcb.Parity % 5] +
                                 "," + std::to_string(dcb.ByteSize) +
                                 (dcb.StopBits == TWOSTOPBITS ? ",2" : ",1");
    const bool flowControl = dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fOutX || dcb.fInX ||
                             dcb.fRtsControl == RTS_CONTROL_HANDSHAKE ||
                             dcb.fDtrControl == DTR_CONTROL_HANDSHAKE;
    std::printf("line %s: %s%s\n", port.c_str(), settings.c_str(),
                flowControl ? " with flow control" : "");
    Expect(settings == wanted && !flowControl, "the line is not " + wanted);
}

void WaitGone(Driver& d) {  // timeout: the dialog has ended
    HWND dialog = d.Dialog();
    Expect(WaitUntil(d.Ms(), [&] { return !IsWindow(dialog); }), "the dialog stays");
}

// A mouse click: the button takes the focus, then its command runs.
void Click(Driver& d) {  // id
    HWND button = d.Item(d.Int());
    PostMessageA(d.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    PostMessageA(button, BM_CLICK, 0, 0);
}

// A click that returns once its command has run; only for one that opens no window.
void Press(Driver& d) {  // id
    Expect(SendMessageTimeoutA(d.Item(d.Int()), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, nullptr),
           "the click was not handled within 30 s");
}

void WaitCount(Driver& d, int base) {  // n, timeout: at least base + n entries
    const int wanted = base + d.Int();
    Expect(WaitUntil(d.Ms(), [&] { return d.Count() >= wanted; }), "the log stays shorter");
}

void WaitEnding(Driver& d) {  // text, timeout: an entry that ends so comes
    const std::string wanted = d.Text();
    const auto arrived = [&](auto& e) { return e.ends_with(wanted); };
    Expect(WaitUntil(d.Ms(), [&] { return std::ranges::any_of(Entries(d.List()), arrived); }),
           "no entry ends in \"" + wanted + "\"" + d.Tail());
}

void Checked(Driver& d) {  // id, 0 or 1, timeout: an indicator's check mark comes or goes
    const int id = d.Int();
    const bool wanted = d.Int() != 0;
    Expect(WaitUntil(d.Ms(), [&] {
               return (SendMessageA(d.Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED) == wanted;
           }),
           "indicator " + std::to_string(id) + " shows otherwise");
}

// Closes the chooser with its cancel button.
void CancelChooser(Driver& d) {  // title, timeout
    const std::string title = d.Take();
    Dismiss(WaitForWindow("#32770", title, d.Ms()), IDCANCEL);
}

// Closes the editor's window, found by a part of its caption.
void CloseEditor(Driver& d) {  // part of its caption, timeout
    const std::string caption = d.Take();
    PostMessageA(WaitForWindow(nullptr, caption, d.Ms(), true), WM_CLOSE, 0, 0);
}

void WindowGeometry(Driver& d) {  // for screenshots: WxH+X+Y of the dialog's frame
    RECT r{};
    GetWindowRect(d.Dialog(), &r);
    std::printf("geometry: %ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
}

const std::map<std::string, void (*)(Driver&)>& Steps() {
    static const std::map<std::string, void (*)(Driver&)> steps{
        {"dialog", [](Driver& d) { d.dialog = WaitForWindow("#32770", "ZR640", d.Ms()); }},
        {"gone", WaitGone},
        {"box", CloseBox},
        {"click", Click},
        {"press", Press},
        {"command",  // id: what a control without a window of its own would send
         [](Driver& d) { PostMessageA(d.Dialog(), WM_COMMAND, MAKEWPARAM(d.Int(), 0), 0); }},
        {"escape", [](Driver& d) { PressKey(d, VK_ESCAPE); }},
        {"enter", [](Driver& d) { PressKey(d, VK_RETURN); }},
        {"close", [](Driver& d) { PostMessageA(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"entries",  // n, then n texts: the first n entries, exactly
         [](Driver& d) {
             for (int i = 0, count = d.Int(); i < count; ++i) ExpectEntry(d, i, false);
         }},
        {"count", ExpectCount},
        {"wait-count", [](Driver& d) { WaitCount(d, 0); }},
        {"grows", [](Driver& d) { WaitCount(d, d.Count()); }},  // by n, timeout
        {"wait-ending", WaitEnding},
        {"entry-begins", [](Driver& d) { ExpectEntry(d, d.Int(), true); }},  // index, text
        {"steady", Steady},
        {"responsive", Responsive},
        {"buttons", BusyButtons},
        {"text", ExpectText},
        {"checked", Checked},
        {"choose", Choose},
        {"cancel-chooser", CancelChooser},
        {"editor", CloseEditor},
        {"common-controls", CheckCommonControls},
        {"layout", CheckLayout},
        {"line", CheckLine},
        // For screenshots: the dialog in front with its title bar lit, a pause, where it is.
        {"activate", [](Driver& d) { SetForegroundWindow(d.Dialog()); }},
        {"sleep", [](Driver& d) { Sleep(d.Ms()); }},
        {"window-geometry", WindowGeometry},
    };
    return steps;
}

}  // namespace

int main(int argc, char** argv) {
    Driver driver(std::vector<std::string>(argv + 1, argv + argc));
    try {
        while (driver.More()) {
            const std::string step = driver.Take();
            const auto found = Steps().find(step);
            Expect(found != Steps().end(), "unknown step " + step);
            found->second(driver);
            std::fflush(stdout);
        }
    } catch (const std::exception& failure) {  // a step's, or a number that is none
        std::fprintf(stderr, "driver: %s\n", failure.what());
        return 1;
    }
    return 0;
}
