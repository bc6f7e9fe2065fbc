// SPDX-License-Identifier: GPL-3.0-or-later
// What the driver's steps share with the steps that only the benchmarks take, which
// bench/wine_driver_steps.cpp adds to the same zr640_driver.exe.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace zr640::driver {

using Step = void (*)();
extern HWND mainDialog;
extern HWND dialog;  // the one the steps work on

void Expect(bool condition, const std::string& what);  // throws `what` unless the condition holds
std::string Take();  // the next argument of the step
int Int();
DWORD Ms();
HWND Item(int id, HWND window = nullptr);  // a control of `window`, else of `dialog`
std::string TextOf(HWND window);
std::vector<std::string> Entries(HWND list, LRESULT first = 0);  // a list box's, from `first`

// The benchmarks' steps, by name: a step the driver has not is looked up here.
extern const std::map<std::string, Step> kMeasuringSteps;

}  // namespace zr640::driver
