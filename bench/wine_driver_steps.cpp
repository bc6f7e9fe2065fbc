// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of zr640_driver.exe that measure instead of check, for the Wine benchmarks
// (bench/wine_scenarios.sh): they print figures and fail only when what they wait for never comes.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/dialog_layout.h"
#include "platform/route_dialog_layout.h"
#include "zr640_driver.h"

namespace zr640::driver {
namespace {

// The system's time in milliseconds since 1970, which the Linux side reads too.
long long UnixMs() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
}

// Reads the new entries every 10 ms until one ends with the text; prints when it came (UnixMs)
// and what the log holds of frames: the "Reading" lines, breaks in their numbering, and the
// broken frames among them ("Rahmen ...").
void LastFrame() {  // text, timeout
    const std::string ending = Take();
    const ULONGLONG deadline = GetTickCount64() + Ms();
    long long seenMs = 0;
    for (LRESULT read = 0; seenMs == 0; Sleep(10)) {
        const auto entries = Entries(Item(IDC_LOG), read);
        read += static_cast<LRESULT>(entries.size());
        if (std::ranges::any_of(entries, [&](auto& e) { return e.ends_with(ending); })) {
            seenMs = UnixMs();
        }
        Expect(seenMs != 0 || GetTickCount64() < deadline, "no such entry");
    }
    int frames = 0, breaks = 0, broken = 0, last = 0, number = 0;
    for (const std::string& entry : Entries(Item(IDC_LOG))) {
        if (std::sscanf(entry.c_str(), "Reading %d", &number) != 1) continue;
        breaks += frames > 0 && number != last + 1;
        broken += entry.find(" Rahmen ") != std::string::npos;
        last = number, ++frames;
    }
    std::printf("last-frame: at %lld, %d frames logged, %d breaks in their numbering, %d broken\n",
                seenMs, frames, breaks, broken);
}

// What opening the route dialog and each filter keystroke cost, for the benchmark of
// bench/route_dialog_wine.sh: from the command (IDM_CHOOSE_ROUTE posted to the main dialog)
// until the dialog shows `rows` records and has painted them, then from each character of
// `keys` posted to the filter (as the keyboard's WM_CHAR, without Wine's way from the keyboard
// to the window) until the filter has taken it and the list has painted.
void MeasureRoute() {  // rows, keys
    const int rows = Int();
    const std::string keys = Take();
    const auto painted = [](HWND list) { return GetUpdateRect(list, nullptr, FALSE) == FALSE; };
    const auto count = [](HWND list) {
        DWORD_PTR n = 0;
        SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &n);
        return static_cast<int>(n);
    };
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    const auto elapsedMs = [&] {
        QueryPerformanceCounter(&end);
        return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    };
    QueryPerformanceCounter(&start);
    PostMessageA(mainDialog, WM_COMMAND, IDM_CHOOSE_ROUTE, 0);
    HWND route = nullptr;
    HWND list = nullptr;
    for (const ULONGLONG deadline = GetTickCount64() + 30000;; Sleep(1)) {
        Expect(GetTickCount64() < deadline, "the route dialog did not open");
        route = FindWindowA("#32770", "Strecke w\xE4hlen");
        list = route != nullptr ? GetDlgItem(route, IDC_ROUTE_RECORDS) : nullptr;
        const bool shown = list != nullptr && IsWindowVisible(route);
        if (shown && count(list) == rows && painted(list)) break;
    }
    std::printf("route dialog: %d records open in %.1f ms\n", rows, elapsedMs());
    // The filter runs as the field takes the key, before it answers the next message.
    HWND filter = GetDlgItem(route, IDC_ROUTE_FILTER);
    std::string typed = TextOf(filter);
    double longest = 0;
    for (const char key : keys) {
        typed += key;
        QueryPerformanceCounter(&start);
        PostMessageA(filter, WM_CHAR, static_cast<unsigned char>(key), 1);
        for (const ULONGLONG deadline = GetTickCount64() + 10000;; Sleep(0)) {
            Expect(GetTickCount64() < deadline, "the filter did not take the key");
            if (TextOf(filter) == typed && painted(list)) break;
        }
        const double ms = elapsedMs();
        longest = std::max(longest, ms);
        std::printf("route dialog: key '%c' filtered to %d rows in %.1f ms\n", key, count(list),
                    ms);
    }
    std::printf("route dialog: longest keystroke %.1f ms\n", longest);
    dialog = route;
}

}  // namespace

// Puts the pointer in the screen's corner, off the dialog: a pointer resting on a button makes
// its hover tracking poll the pointer's place, which no measure of the program should count.
void PointerAway() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

const std::map<std::string, Step> kMeasuringSteps{
    {"pointer-away", PointerAway},
    {"measure-route", MeasureRoute},  // rows, keys
    {"last-frame", LastFrame},  // text, timeout
};

}  // namespace zr640::driver
