// SPDX-License-Identifier: GPL-3.0-or-later
/* The route dialog "Strecke wählen", template 200: the ids of its controls, and the place of
   each in dialog units (x, y, width, height) in creation and tab order. Written once, for
   the resource script, the Qt dialog and the tests; plain #defines, because the resource
   compiler reads this file too. */
#pragma once

#define IDD_ROUTE 200
#define ROUTE_DIALOG_SIZE 410, 214

/* In this order: "Suchen:" and the filter, the records of the waypoint file and the count of
   the lines skipped, "Hinzufügen", "Strecke:" and the route, the buttons that change it, then
   OK and "Abbrechen" with the ids that Enter and Escape send. */
#define IDC_ROUTE_FILTER_LABEL 201
#define IDC_ROUTE_FILTER 202
#define IDC_ROUTE_RECORDS 203
#define IDC_ROUTE_SKIPPED 204
#define IDC_ROUTE_ADD 205
#define IDC_ROUTE_POINTS_LABEL 206
#define IDC_ROUTE_POINTS 207
#define IDC_ROUTE_REMOVE 208
#define IDC_ROUTE_UP 209
#define IDC_ROUTE_DOWN 210
#define IDC_ROUTE_OK 1
#define IDC_ROUTE_CANCEL 2

#define PLACE_ROUTE_FILTER_LABEL 7, 9, 32, 8
#define PLACE_ROUTE_FILTER 42, 7, 195, 12
#define PLACE_ROUTE_RECORDS 7, 24, 230, 164
#define PLACE_ROUTE_SKIPPED 7, 193, 230, 8
#define PLACE_ROUTE_ADD 243, 24, 54, 14
#define PLACE_ROUTE_POINTS_LABEL 303, 9, 100, 8
#define PLACE_ROUTE_POINTS 303, 24, 100, 44
#define PLACE_ROUTE_REMOVE 303, 72, 60, 14
#define PLACE_ROUTE_UP 303, 89, 60, 14
#define PLACE_ROUTE_DOWN 303, 106, 60, 14
#define PLACE_ROUTE_OK 299, 193, 50, 14
#define PLACE_ROUTE_CANCEL 353, 193, 50, 14

#ifndef RC_INVOKED
namespace zr640::platform {

/* The columns of the records list, which the program adds: heading, width in dialog units,
   and whether the values stand right-aligned (the line numbers). */
struct RouteColumn {
    const char* heading;
    int widthUnits;
    bool rightAligned;
};
inline constexpr RouteColumn kRouteColumns[] = {
    {"Name", 120, false},
    {"Kennung", 50, false},
    {"Zeile", 40, true},
};
inline constexpr int kRouteLineColumn = 2;
/* What the filter takes, and the buttons that change the route: add, remove, up, down. */
inline constexpr int kRouteFilterLimit = 255;
inline constexpr int kRouteChangingButtons[] = {IDC_ROUTE_ADD, IDC_ROUTE_REMOVE, IDC_ROUTE_UP,
                                                IDC_ROUTE_DOWN};

}  // namespace zr640::platform
#endif
