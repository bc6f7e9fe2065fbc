// SPDX-License-Identifier: GPL-3.0-or-later
// What the dialogs' templates must hold, written out by hand from the layout the program is
// meant to have, never taken from the resource script's macros: the Wine driver checks the
// Windows program's windows against these tables (its step "template ID TIMEOUT"), the Qt test
// its dialog. Places and sizes are in dialog units. A second dialog adds a table of its own to
// kTemplates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zr640::testing {

// The Win32 style bits that the templates use, with the values windows.h gives them.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000,
    kCaption = 0x00C00000, kBorder = 0x00800000, kVScroll = 0x00200000, kHScroll = 0x00100000,
    kSysMenu = 0x00080000, kGroup = 0x00020000, kTabStop = 0x00010000;
inline constexpr std::uint32_t kModalFrame = 0x80, kSetFont = 0x40;  // of a dialog
inline constexpr std::uint32_t kIcon = 0x3;  // of a static control
inline constexpr std::uint32_t kMultiLine = 0x4, kAutoHScroll = 0x80;  // of an edit field
inline constexpr std::uint32_t kCenter = 0x300, kAutoRadio = 0x9, kGroupBox = 0x7;  // of a button
inline constexpr std::uint32_t kNotify = 0x1, kDisableNoScroll = 0x1000;  // of a list box
inline constexpr std::uint32_t kNoIntegralHeight = 0x100;                 // of a list box
inline constexpr std::uint32_t kDefPushButton = 0x1;                      // of a button
inline constexpr std::uint32_t kReport = 0x1, kSingleSel = 0x4, kShowSelAlways = 0x8,
    kOwnerData = 0x1000;  // of a list view
}  // namespace style

struct TemplateControl {
    int id;
    const char* windowClass;
    std::uint32_t style;  // WS_CHILD and WS_VISIBLE, which every control has, left out
    const char* text;     // Windows-1252
    int x, y, width, height;
};

struct DialogTemplateTable {
    int id;
    const char* caption;
    std::uint32_t style;
    int width, height;
    std::vector<TemplateControl> controls;  // in creation and tab order
};

// An icon control takes the size of its icon, whatever its template says.
inline constexpr int kIconPixels = 32;

using namespace style;
inline const DialogTemplateTable kMainDialogTemplate = {
    100, "ZR640", kPopup | kVisible | kCaption | kSysMenu | kModalFrame | kSetFont, 506, 375, {
        {3, "Static", kIcon, "", 4, 4, 21, 20},
        {101, "Edit", kBorder | kTabStop | kMultiLine, "", 36, 8, 292, 12},
        {102, "Button", kTabStop | kCenter, "Run", 412, 8, 50, 14},
        {103, "Button", kTabStop | kAutoRadio, "RX", 344, 8, 28, 12},
        {104, "Button", kTabStop | kAutoRadio, "TX", 372, 8, 28, 12},
        {110, "ListBox", kBorder | kVScroll | kHScroll | kTabStop | kDisableNoScroll | kNotify, "",
         8, 32, 488, 280},
        {120, "Button", kGroup | kGroupBox, "Wendepunktdatei", 8, 316, 488, 48},
        {109, "Edit", kBorder | kHScroll | kTabStop | kAutoHScroll, "", 12, 324, 372, 12},
        {118, "Button", kTabStop | kCenter, "W\xE4hlen", 388, 324, 50, 14},
        {119, "Button", kTabStop | kCenter, "Edit", 440, 324, 50, 14},
        {117, "Button", kTabStop | kCenter, "Replace WP's", 16, 344, 50, 14},
        {116, "Button", kTabStop | kCenter, "Update WP's", 76, 344, 50, 14},
        {123, "Button", kTabStop | kCenter, "Strecke setzen", 164, 344, 52, 14},
    }};

// The route dialog "Strecke wählen", opened over the main dialog.
inline const DialogTemplateTable kRouteDialogTemplate = {
    200, "Strecke w\xE4hlen", kPopup | kVisible | kCaption | kSysMenu | kModalFrame | kSetFont, 410,
    214, {
        {201, "Static", 0, "&Suchen:", 7, 9, 32, 8},
        {202, "Edit", kBorder | kTabStop | kAutoHScroll, "", 42, 7, 195, 12},
        {203, "SysListView32", kBorder | kTabStop | kReport | kSingleSel | kShowSelAlways |
         kOwnerData, "", 7, 24, 230, 164},
        {204, "Static", 0, "", 7, 193, 230, 8},
        {205, "Button", kTabStop, "&Hinzuf\xFCgen", 243, 24, 54, 14},
        {206, "Static", 0, "S&trecke:", 303, 9, 100, 8},
        {207, "ListBox", kBorder | kVScroll | kTabStop | kNotify | kNoIntegralHeight, "", 303, 24,
         100, 44},
        {208, "Button", kTabStop, "&Entfernen", 303, 72, 60, 14},
        {209, "Button", kTabStop, "Nach &oben", 303, 89, 60, 14},
        {210, "Button", kTabStop, "Nach &unten", 303, 106, 60, 14},
        {1, "Button", kTabStop | kDefPushButton, "OK", 299, 193, 50, 14},
        {2, "Button", kTabStop, "Abbrechen", 353, 193, 50, 14},
    }};

inline const std::vector<DialogTemplateTable> kTemplates = {kMainDialogTemplate,
                                                            kRouteDialogTemplate};

// The Qt widget that stands for a control of a Windows template.
inline const char* QtClassOf(const TemplateControl& control) {
    const std::string windowClass = control.windowClass;
    if (windowClass == "Static") return "QLabel";
    if (windowClass == "Edit") return "QLineEdit";
    if (windowClass == "ListBox") return "QListWidget";
    if (windowClass == "SysListView32") return "QTreeView";
    if ((control.style & 0xF) == kAutoRadio) return "QRadioButton";
    return (control.style & 0xF) == kGroupBox ? "QGroupBox" : "QPushButton";
}

}  // namespace zr640::testing
