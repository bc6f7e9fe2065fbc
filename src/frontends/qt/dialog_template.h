#pragma once

#include <array>

#include <QFont>
#include <QRect>

namespace zr640::platform {

enum class ControlKind { Icon, EditField, PushButton, RadioButton, ListBox, GroupBox };

// A rectangle in dialog units: a quarter of the font's average character width across,
// an eighth of its height down.
struct DialogUnitRect {
    int x;
    int y;
    int width;
    int height;
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // Windows-1252
    DialogUnitRect bounds;
};

// Dialog template 100, the main dialog: its client area and its controls in creation and
// tab order.
inline constexpr int kMainDialogWidthUnits = 506;
inline constexpr int kMainDialogHeightUnits = 375;
inline constexpr const char* kMainDialogCaption = "ZR640";
inline constexpr int kIconId = 3;
inline constexpr int kGroupBoxId = 120;
inline constexpr std::array<ControlTemplate, 13> kMainDialogControls = {{
    {kIconId, ControlKind::Icon, "", {4, 4, 21, 20}},
    {101, ControlKind::EditField, "", {36, 8, 292, 12}},
    {102, ControlKind::PushButton, "Run", {412, 8, 50, 14}},
    {103, ControlKind::RadioButton, "RX", {344, 8, 28, 12}},
    {104, ControlKind::RadioButton, "TX", {372, 8, 28, 12}},
    {110, ControlKind::ListBox, "", {8, 32, 488, 280}},
    {kGroupBoxId, ControlKind::GroupBox, "Wendepunktdatei", {8, 316, 488, 48}},
    {109, ControlKind::EditField, "", {12, 324, 372, 12}},
    {118, ControlKind::PushButton, "W\xE4hlen", {388, 324, 50, 14}},
    {119, ControlKind::PushButton, "Edit", {440, 324, 50, 14}},
    {117, ControlKind::PushButton, "Replace WP's", {16, 344, 50, 14}},
    {116, ControlKind::PushButton, "Update WP's", {76, 344, 50, 14}},
    {123, ControlKind::PushButton, "Strecke setzen", {164, 344, 52, 14}},
}};

// The pixels of one average character of a font, as Windows measures a dialog font: the
// width of the 52 letters A-Z a-z divided by 52 and rounded, and the character height.
struct DialogBaseUnits {
    int width;
    int height;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Dialog units to pixels, rounded as MulDiv rounds.
QRect ToPixels(const DialogUnitRect& units, DialogBaseUnits base);

// The font of the dialog: an 8-point sans-serif face, the role "MS Sans Serif" 8 plays on
// Windows.
QFont DialogFont();

}  // namespace zr640::platform
