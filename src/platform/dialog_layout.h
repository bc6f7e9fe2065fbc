// SPDX-License-Identifier: GPL-3.0-or-later
/* The main dialog, template 100: the ids of its controls, and the place of each in dialog
   units (x, y, width, height) in creation and tab order. Written once, for the resource
   script, the Qt dialog and the core; plain #defines, because the resource compiler reads
   this file too. */
#pragma once

#define IDD_MAIN 100
#define MAIN_DIALOG_SIZE 506, 375
/* The dialog's caption, and its title whenever no transfer says how far it has come. */
#define MAIN_DIALOG_CAPTION "ZR640"

/* Commands that no control of the template sends: the Enter key when no button takes it,
   and cancel (the Escape key, the close box). */
#define IDC_ENTER 1
#define IDC_CANCEL 2

#define IDC_PROGRAM_ICON 3
#define IDC_BYTE_DISPLAY 101
#define IDC_RUN 102
#define IDC_RX 103
#define IDC_TX 104
#define IDC_LOG 110
#define IDC_GROUP 120
#define IDC_PATH 109
#define IDC_CHOOSE 118
#define IDC_EDIT 119
#define IDC_REPLACE 117
#define IDC_UPDATE 116
#define IDC_SET_TASK 123

/* Commands of the log's context menu and of the window's system menu. The system menu takes
   only ids below 0xF000 whose low four bits are clear; the same ids serve both menus. */
#define IDM_COPY_LINE 0x0100
#define IDM_COPY_ALL 0x0110
#define IDM_SAVE_LOG 0x0120
#define IDM_CHOOSE_ROUTE 0x0130
#define IDM_ABOUT 0x0140

#define PLACE_PROGRAM_ICON 4, 4, 21, 20
#define PLACE_BYTE_DISPLAY 36, 8, 292, 12
#define PLACE_RUN 412, 8, 50, 14
#define PLACE_RX 344, 8, 28, 12
#define PLACE_TX 372, 8, 28, 12
#define PLACE_LOG 8, 32, 488, 280
#define PLACE_GROUP 8, 316, 488, 48
#define PLACE_PATH 12, 324, 372, 12
#define PLACE_CHOOSE 388, 324, 50, 14
#define PLACE_EDIT 440, 324, 50, 14
#define PLACE_REPLACE 16, 344, 50, 14
#define PLACE_UPDATE 76, 344, 50, 14
#define PLACE_SET_TASK 164, 344, 52, 14
