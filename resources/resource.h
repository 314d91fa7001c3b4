// Identifiers shared by the resource script and the program.
#pragma once

#define IDS_SAVER_NAME 1
#define IDS_MAKER_URL 2

#define IDR_MOBILE 1
#define IDI_SAVER 1

// The monitor control's window class, which the dialog templates name.
#define MONITOR_CLASS "ScrMonitor"

// Dialog templates and the bitmap go by name; their controls by number.
#define IDC_MONITOR 101 // Options page
#define IDC_ABOUT_TITLE 101
#define IDC_ABOUT_LINK 102
#define IDC_CORNERS_TEXT 101 // General page
#define IDC_NO_AGENT_TEXT 102
#define IDC_DISMISS_GROUP 103
#define IDC_SENSITIVITY_LABEL 104
#define IDC_SENSITIVITY 105
#define IDC_WAIT_LABEL 106
#define IDC_DELAY 107
#define IDC_DELAY_SPIN 108
#define IDC_DELAY_UNIT 109
#define IDC_DELAY_TAIL 110
#define IDC_CORNERS 112
#define IDC_FASTER_MODE 113

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
