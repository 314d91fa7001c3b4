#include "config/config_sheet.h"

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "config/general_page.h"
#include "config/hyperlink.h"
#include "config/monitor_control.h"
#include "host/saver_host.h"
#include "host/trace.h"
#include "resources/resource.h"

HICON sheetIcon;
WNDPROC previousSheetProc;

static PROPSHEETPAGEA Page(const char* templateName, DLGPROC procedure) {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page; // also the stride of the page array
    page.hInstance = host.instance;
    page.pszTemplate = templateName;
    page.pfnDlgProc = procedure;
    return page;
}

void RunConfigSheet(HWND parent) {
    sheetIcon = (HICON)LoadImageA(host.instance, MAKEINTRESOURCEA(IDI_SAVER), IMAGE_ICON,
                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    PROPSHEETPAGEA pages[2] = {Page("DLG_GENERAL", GeneralPageProc),
                               Page("DLG_OPTIONS", OptionsPageProc)};
    char caption[300];
    wsprintfA(caption, "Options for %s", host.saverName); // the name is under 260 characters

    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    sheet.hwndParent = parent;
    sheet.hInstance = host.instance;
    sheet.hIcon = sheetIcon;
    sheet.pszCaption = caption;
    sheet.nPages = 2;
    sheet.nStartPage = 1;
    sheet.ppsp = pages;
    sheet.pfnCallback = SheetCallback;

    Trace("Config...");
    PropertySheetA(&sheet);
    Trace("Config done.");

    DestroyIcon(sheetIcon);
    sheetIcon = nullptr;
    if (monitorBitmap)
        DeleteObject(monitorBitmap);
    monitorBitmap = nullptr;
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED)
        return 0;
    HMENU menu = GetSystemMenu(sheet, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kAboutCommand, "About...");
    previousSheetProc = (WNDPROC)SetWindowLongPtrA(sheet, GWLP_WNDPROC, (LONG_PTR)SheetWindowProc);
    return 0;
}

LRESULT CALLBACK SheetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && wParam == kAboutCommand) {
        DialogBoxParamA(host.instance, "DLG_ABOUT", window, AboutProc, 0);
        return 0;
    }
    if (previousSheetProc)
        return CallWindowProcA(previousSheetProc, window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

static INT_PTR OnPageNotify(HWND page, const NMHDR* header) {
    if (header->code != (UINT)PSN_APPLY)
        return FALSE;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY:
        return OnPageNotify(page, (const NMHDR*)lParam);
    default:
        return FALSE;
    }
}

// The address without its scheme and trailing slash, for showing.
static const char* ShortAddress(char* address) {
    const char* shown = strstr(address, "://");
    shown = shown ? shown + 3 : address;
    size_t length = strlen(address);
    if (length > 0 && address[length - 1] == '/')
        address[length - 1] = '\0';
    return shown;
}

static INT_PTR OnAboutInit(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, host.saverName);
    char address[260] = "";
    LoadStringA(host.instance, IDS_MAKER_URL, address, sizeof address);
    MakeHyperlink(dialog, IDC_ABOUT_LINK, address);
    SetDlgItemTextA(dialog, IDC_ABOUT_LINK, ShortAddress(address));
    return TRUE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnAboutInit(dialog);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
