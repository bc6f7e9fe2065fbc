// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "frontends/qt/dialog_template.h"
#include "platform/route_dialog_layout.h"

namespace zr640::platform {

// Dialog template 200, the route dialog "Strecke wählen": its client area and its controls in
// creation and tab order, with the ids, texts and places of the Windows resource script.
inline constexpr DialogUnitRect kRouteDialogRect = {0, 0, ROUTE_DIALOG_SIZE};
inline constexpr const char* kRouteDialogCaption = "Strecke w\xE4hlen";
inline constexpr std::array<ControlTemplate, 12> kRouteDialogControls = {{
    {IDC_ROUTE_FILTER_LABEL, ControlKind::Label, "&Suchen:", {PLACE_ROUTE_FILTER_LABEL}},
    {IDC_ROUTE_FILTER, ControlKind::EditField, "", {PLACE_ROUTE_FILTER}},
    {IDC_ROUTE_RECORDS, ControlKind::ReportList, "", {PLACE_ROUTE_RECORDS}},
    {IDC_ROUTE_SKIPPED, ControlKind::Label, "", {PLACE_ROUTE_SKIPPED}},
    {IDC_ROUTE_ADD, ControlKind::PushButton, "&Hinzuf\xFCgen", {PLACE_ROUTE_ADD}},
    {IDC_ROUTE_POINTS_LABEL, ControlKind::Label, "S&trecke:", {PLACE_ROUTE_POINTS_LABEL}},
    {IDC_ROUTE_POINTS, ControlKind::ListBox, "", {PLACE_ROUTE_POINTS}},
    {IDC_ROUTE_REMOVE, ControlKind::PushButton, "&Entfernen", {PLACE_ROUTE_REMOVE}},
    {IDC_ROUTE_UP, ControlKind::PushButton, "Nach &oben", {PLACE_ROUTE_UP}},
    {IDC_ROUTE_DOWN, ControlKind::PushButton, "Nach &unten", {PLACE_ROUTE_DOWN}},
    {IDC_ROUTE_OK, ControlKind::DefaultButton, "OK", {PLACE_ROUTE_OK}},
    {IDC_ROUTE_CANCEL, ControlKind::PushButton, "Abbrechen", {PLACE_ROUTE_CANCEL}},
}};

}  // namespace zr640::platform
