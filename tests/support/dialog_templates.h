// What the dialogs' templates must hold, written out by hand from the layout the program is
// meant to have, never taken from the resource script's macros: the Wine driver checks the
// Windows program's windows against these tables (its step "template ID TIMEOUT"), the Qt test
// its dialog. Places and sizes are in dialog units. A second dialog adds a table of its own to
// kTemplates.
#pragma once

#include <cstdint>
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

inline const std::vector<DialogTemplateTable> kTemplates = {kMainDialogTemplate};

}  // namespace zr640::testing
