#include "config/general_page.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "host/saver_host.h"
#include "host/settings.h"
#include "host/system_settings.h"
#include "resources/resource.h"

struct Sensitivity {
    const char* text;
    DWORD threshold;
};

const DWORD kIgnoreMouse = 999999; // also for no selection

static const Sensitivity kSensitivities[] = {
    {"High", 0},
    {"Normal", 200},
    {"Low", 400},
    {"Keyboard only (ignore mouse movement)", kIgnoreMouse},
};
const int kSensitivityCount = sizeof kSensitivities / sizeof kSensitivities[0];

static void FillList(HWND list, const char* const* texts, int count, DWORD selected) {
    for (int i = 0; i < count; i++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)texts[i]);
    // An index out of range leaves the list without a selection.
    SendMessageA(list, CB_SETCURSEL, (WPARAM)(int)selected, 0);
}

// The up-down keeps about the width its template gives it, in dialog units,
// at every DPI. Aligning itself with its buddy, it may take a fixed width in
// pixels instead (16 on some systems): at a higher DPI it would then be left
// narrow beside a scaled edit. Only a width far behind the template's is
// corrected, so at 96 dpi, where the two differ by rounding alone, nothing
// changes. The edit gives up what the up-down gains; their overlap stays.
static void KeepSpinWidth(HWND page) {
    const int kSpinWidth = 11; // dialog units, as in the template
    HWND edit = GetDlgItem(page, IDC_DELAY), spin = GetDlgItem(page, IDC_DELAY_SPIN);
    RECT want = {0, 0, kSpinWidth, 0}, editRect, spinRect;
    MapDialogRect(page, &want);
    GetWindowRect(edit, &editRect);
    GetWindowRect(spin, &spinRect);
    MapWindowPoints(nullptr, page, (POINT*)&editRect, 2);
    MapWindowPoints(nullptr, page, (POINT*)&spinRect, 2);
    int grow = want.right - (spinRect.right - spinRect.left);
    if (grow <= want.right / 8)
        return;
    MoveWindow(edit, editRect.left, editRect.top, editRect.right - editRect.left - grow,
               editRect.bottom - editRect.top, FALSE);
    MoveWindow(spin, spinRect.left - grow, spinRect.top, want.right, spinRect.bottom - spinRect.top,
               FALSE);
}

static INT_PTR OnInitDialog(HWND page) {
    const SystemSaverSettings& settings = host.settings;
    ShowWindow(GetDlgItem(page, settings.hotCornerService ? IDC_NO_AGENT_TEXT : IDC_CORNERS_TEXT),
               SW_HIDE);
    SetDlgItemTextA(page, IDC_CORNERS, settings.mouseCorners);

    const char* const units[] = {"seconds", "minutes"};
    FillList(GetDlgItem(page, IDC_DELAY_UNIT), units, 2, settings.passwordDelayIndex);
    char number[16];
    int delay = (int)settings.passwordDelay;
    // The system's formatter: the C runtime's would bring its floating-point
    // printing into the program for one integer.
    wsprintfA(number, "%i", settings.passwordDelayIndex == 1 ? delay / 60 : delay);
    SetDlgItemTextA(page, IDC_DELAY, number);
    SendDlgItemMessageA(page, IDC_DELAY_SPIN, UDM_SETRANGE, 0, MAKELPARAM(99, 0));
    KeepSpinWidth(page);

    const char* sensitivities[kSensitivityCount];
    for (int i = 0; i < kSensitivityCount; i++)
        sensitivities[i] = kSensitivities[i].text;
    FillList(GetDlgItem(page, IDC_SENSITIVITY), sensitivities, kSensitivityCount,
             settings.mouseThresholdIndex);

    host.changeScreenMode = GetSettingBool(kSettingChangeScreenMode, false);
    CheckDlgButton(page, IDC_FASTER_MODE, host.changeScreenMode ? BST_CHECKED : BST_UNCHECKED);

    // Only the 9x family asks for the saver's password, so only there does
    // the delay mean anything.
    if (WindowsPlatform() != VER_PLATFORM_WIN32_WINDOWS)
        for (int id = IDC_WAIT_LABEL; id <= IDC_DELAY_TAIL; id++)
            ShowWindow(GetDlgItem(page, id), SW_HIDE);
    return TRUE;
}

static void Save(HWND page) {
    SystemSaverSettings& settings = host.settings;
    memset(settings.mouseCorners, 0, sizeof settings.mouseCorners);
    GetDlgItemTextA(page, IDC_CORNERS, settings.mouseCorners, 5);

    settings.passwordDelayIndex =
        (DWORD)SendDlgItemMessageA(page, IDC_DELAY_UNIT, CB_GETCURSEL, 0, 0);
    char number[16] = "";
    GetDlgItemTextA(page, IDC_DELAY, number, sizeof number);
    // As typed, even beyond the up-down's range.
    int delay = atoi(number);
    settings.passwordDelay = settings.passwordDelayIndex == 1 ? (DWORD)delay * 60 : (DWORD)delay;

    LRESULT sensitivity = SendDlgItemMessageA(page, IDC_SENSITIVITY, CB_GETCURSEL, 0, 0);
    settings.mouseThresholdIndex = (DWORD)sensitivity;
    settings.mouseThreshold = sensitivity >= 0 && sensitivity < kSensitivityCount
                                  ? kSensitivities[sensitivity].threshold
                                  : kIgnoreMouse;
    SaveSystemSaverSettings();

    host.changeScreenMode = IsDlgButtonChecked(page, IDC_FASTER_MODE) == BST_CHECKED;
    SetSettingBool(kSettingChangeScreenMode, host.changeScreenMode);
}

static INT_PTR OnNotify(HWND page, const NMHDR* header) {
    if (header->code != (UINT)PSN_APPLY)
        return FALSE;
    Save(page);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(page);
    case WM_NOTIFY:
        return OnNotify(page, (const NMHDR*)lParam);
    default:
        return FALSE;
    }
}
