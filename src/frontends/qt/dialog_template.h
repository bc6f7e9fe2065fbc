// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <map>
#include <span>

#include <QFont>
#include <QRect>
#include <QWidget>

#include "platform/dialog_layout.h"

namespace zr640::platform {

enum class ControlKind {
    Icon, EditField, PushButton, RadioButton, ListBox, GroupBox,
    Label,       // a static text, whose mnemonic focuses the control after it
    ReportList,  // a list with column headings, rows drawn as they come into view
    DefaultButton,
};

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
// tab order, with the ids and places of the Windows resource script.
inline constexpr DialogUnitRect kMainDialogRect = {0, 0, MAIN_DIALOG_SIZE};
inline constexpr const char* kMainDialogCaption = MAIN_DIALOG_CAPTION;
inline constexpr std::array<ControlTemplate, 13> kMainDialogControls = {{
    {IDC_PROGRAM_ICON, ControlKind::Icon, "", {PLACE_PROGRAM_ICON}},
    {IDC_BYTE_DISPLAY, ControlKind::EditField, "", {PLACE_BYTE_DISPLAY}},
    {IDC_RUN, ControlKind::PushButton, "Run", {PLACE_RUN}},
    {IDC_RX, ControlKind::RadioButton, "RX", {PLACE_RX}},
    {IDC_TX, ControlKind::RadioButton, "TX", {PLACE_TX}},
    {IDC_LOG, ControlKind::ListBox, "", {PLACE_LOG}},
    {IDC_GROUP, ControlKind::GroupBox, "Wendepunktdatei", {PLACE_GROUP}},
    {IDC_PATH, ControlKind::EditField, "", {PLACE_PATH}},
    {IDC_CHOOSE, ControlKind::PushButton, "W\xE4hlen", {PLACE_CHOOSE}},
    {IDC_EDIT, ControlKind::PushButton, "Edit", {PLACE_EDIT}},
    {IDC_REPLACE, ControlKind::PushButton, "Replace WP's", {PLACE_REPLACE}},
    {IDC_UPDATE, ControlKind::PushButton, "Update WP's", {PLACE_UPDATE}},
    {IDC_SET_TASK, ControlKind::PushButton, "Strecke setzen", {PLACE_SET_TASK}},
}};
// The pixels of one average character of a font, as Windows measures a dialog font: the
// width of the 52 letters A-Z a-z divided by 52 and rounded, and the character height.
struct DialogBaseUnits {
    int width;
    int height;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Tab goes through the controls that take the focus in the order of their template, as in a
// Windows dialog; `controls` holds the widget of each id.
void ChainTabOrder(std::span<const ControlTemplate> templates,
                   const std::map<int, QWidget*>& controls);

// Dialog units to pixels, rounded as MulDiv rounds.
QRect ToPixels(const DialogUnitRect& units, DialogBaseUnits base);

// The font of the dialog: an 8-point sans-serif face, the role "MS Sans Serif" 8 plays on
// Windows.
QFont DialogFont();

}  // namespace zr640::platform
