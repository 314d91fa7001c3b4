#include "config/monitor_control.h"

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "host/saver_host.h"
#include "host/saver_windows.h"
#include "host/startup.h"

HBITMAP monitorBitmap;

// Where the parts lie in the MONITOR bitmap.
const int kPictureWidth = 184, kPictureHeight = 170;
const int kMaskLeft = 184, kBoxesLeft = 368;
const int kBoxWidth = 24, kBoxHeight = 22;

void LoadMonitorBitmap() {
    if (!monitorBitmap)
        monitorBitmap = LoadBitmapA(host.instance, "Monitor");
}

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);

// The window's DPI: its monitor's where the system tells one DPI from
// another (looked up by name: older systems lack the function), else the
// system's.
static int WindowDpi(HWND window) {
    GetDpiForWindowProc dpiForWindow = (GetDpiForWindowProc)(void*)GetProcAddress(
        GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC dc = GetDC(window);
        dpi = (UINT)GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(window, dc);
    }
    return dpi ? (int)dpi : 96;
}

static RECT MonitorArea(HWND window, WPARAM which) {
    RECT client;
    GetClientRect(window, &client);
    int w = client.right, h = client.bottom;
    RECT screen = {16 * w / 184, 17 * h / 170, 168 * w / 184, 130 * h / 170};
    RECT area = screen;
    // The boxes keep their size beside the page's text: the bitmap's own
    // pixels at 96 dpi, as many more as the DPI is higher.
    int dpi = which >= 1 && which <= 4 ? WindowDpi(window) : 96;
    int boxWidth = MulDiv(kBoxWidth, dpi, 96), boxHeight = MulDiv(kBoxHeight, dpi, 96);
    switch (which) {
    case 1:
        area.right = screen.left + boxWidth;
        area.bottom = screen.top + boxHeight;
        break;
    case 2:
        area.left = screen.right - boxWidth;
        area.bottom = screen.top + boxHeight;
        break;
    case 3:
        area.left = screen.right - boxWidth;
        area.top = screen.bottom - boxHeight;
        break;
    case 4:
        area.right = screen.left + boxWidth;
        area.top = screen.bottom - boxHeight;
        break;
    default:
        break;
    }
    return area;
}

static LRESULT OnAreaQuery(HWND window, WPARAM which, LPARAM lParam) {
    LoadMonitorBitmap();
    *(RECT*)lParam = MonitorArea(window, which);
    return 0;
}

// At most four characters: the corners string, or empty in preview mode.
static int ReadCorners(HWND window, char corners[5]) {
    memset(corners, 0, 5);
    return GetWindowTextA(window, corners, 5);
}

static LRESULT OnCreate(HWND window) {
    char corners[5];
    if (ReadCorners(window, corners) > 0)
        return 0;
    RECT screen;
    SendMessageA(window, kMonitorAreaQuery, 0, (LPARAM)&screen);
    CreatePreviewWindow(window, screen);
    return 0;
}

// The live preview follows the screen area when the control is resized: a
// dialog scaled for another DPI resizes its controls, not their children.
static LRESULT OnSize(HWND window) {
    HWND preview = FindWindowExA(window, nullptr, kSaverClassName, nullptr);
    if (preview) {
        RECT screen = MonitorArea(window, 0);
        SetWindowPos(preview, nullptr, screen.left, screen.top, screen.right - screen.left,
                     screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

// The back buffer in the user data, re-made only when the size changed.
static HBITMAP BackBuffer(HWND window, HDC paintDc, int w, int h) {
    HBITMAP buffer = (HBITMAP)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (buffer) {
        BITMAP facts;
        if (GetObjectA(buffer, sizeof facts, &facts) && facts.bmWidth == w && facts.bmHeight == h)
            return buffer;
        DeleteObject(buffer);
    }
    buffer = CreateCompatibleBitmap(paintDc, w, h);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)buffer);
    return buffer;
}

static int BoxRow(char choice) {
    if (choice == 'Y')
        return 22;
    if (choice == 'N')
        return 44;
    return 0;
}

// A checkerboard of desktop-colour pixels: the corner cannot be used.
static void GreyBox(HDC dc, const RECT& box) {
    COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left + (y % 2); x < box.right; x += 2)
            SetPixel(dc, x, y, desktop);
}

static void DrawCorners(HWND window, HDC dc, HDC pictureDc, const char* corners) {
    RECT screen = MonitorArea(window, 0);
    FillRect(dc, &screen, GetSysColorBrush(COLOR_BACKGROUND));
    for (int i = 0; i < 4; i++) {
        RECT box = MonitorArea(window, i + 1);
        // Stretched, in whole pixels, only where the DPI made the box larger.
        StretchBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, pictureDc,
                   kBoxesLeft, BoxRow(corners[i]), kBoxWidth, kBoxHeight, SRCCOPY);
        if (host.settings.hotCornerService == 0)
            GreyBox(dc, box);
    }
}

static LRESULT OnPaint(HWND window) {
    LoadMonitorBitmap();
    RECT client;
    GetClientRect(window, &client);
    int w = client.right, h = client.bottom;
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(window, &paint);
    HBITMAP buffer = BackBuffer(window, paintDc, w, h);

    HDC dc = CreateCompatibleDC(paintDc);
    HGDIOBJ oldBuffer = SelectObject(dc, buffer);
    HDC pictureDc = CreateCompatibleDC(paintDc);
    HGDIOBJ oldPicture = SelectObject(pictureDc, monitorBitmap);

    // The picture is composed over what lies under the control, so the
    // dialog shows beside the stand.
    BitBlt(dc, 0, 0, w, h, paintDc, 0, 0, SRCCOPY);
    // Whole pixels, not merged ones: in the default mode a smaller control
    // would AND neighbouring mask pixels together and fray the stand's edge.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, w, h, pictureDc, kMaskLeft, 0, kPictureWidth, kPictureHeight, SRCAND);
    StretchBlt(dc, 0, 0, w, h, pictureDc, 0, 0, kPictureWidth, kPictureHeight, SRCINVERT);
    char corners[5];
    if (ReadCorners(window, corners) > 0)
        DrawCorners(window, dc, pictureDc, corners);

    BitBlt(paintDc, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(pictureDc, oldPicture);
    DeleteDC(pictureDc);
    SelectObject(dc, oldBuffer);
    DeleteDC(dc);
    EndPaint(window, &paint);
    return 0;
}

static void AddChoice(HMENU menu, UINT position, const char* text, char choice, char current) {
    MENUITEMINFOA item = {};
    // The first version of the structure, which every system takes.
    item.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    item.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = choice == current ? MFS_CHECKED : MFS_UNCHECKED;
    item.wID = (UINT)(unsigned char)choice;
    item.dwTypeData = (char*)text;
    InsertMenuItemA(menu, position, TRUE, &item);
}

static char ChooseCorner(HWND window, POINT point, char current) {
    HMENU menu = CreatePopupMenu();
    char shown = current == 'Y' || current == 'N' ? current : '-';
    AddChoice(menu, 0, "Default", '-', shown);
    AddChoice(menu, 1, "Now", 'Y', shown);
    AddChoice(menu, 2, "Never", 'N', shown);
    ClientToScreen(window, &point);
    UINT chosen = (UINT)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y,
                                         window, nullptr);
    DestroyMenu(menu);
    return chosen ? (char)chosen : current;
}

static LRESULT OnLeftButtonDown(HWND window, LPARAM lParam) {
    char corners[5];
    if (host.settings.hotCornerService == 0 || ReadCorners(window, corners) == 0)
        return 0;
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    int corner = -1;
    for (int i = 0; i < 4 && corner < 0; i++) {
        RECT box = MonitorArea(window, i + 1);
        if (point.x >= box.left && point.x < box.right && point.y >= box.top &&
            point.y < box.bottom)
            corner = i;
    }
    if (corner < 0)
        return 0;
    for (int i = 0; i < 4; i++)
        if (corners[i] != 'Y' && corners[i] != 'N')
            corners[i] = '-';
    corners[corner] = ChooseCorner(window, point, corners[corner]);
    SetWindowTextA(window, corners);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

static LRESULT OnDestroy(HWND window) {
    HBITMAP buffer = (HBITMAP)SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (buffer)
        DeleteObject(buffer);
    return 0;
}

LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_SIZE:
        return OnSize(window);
    case WM_PAINT:
        return OnPaint(window);
    case WM_LBUTTONDOWN:
        return OnLeftButtonDown(window, lParam);
    case WM_DESTROY:
        return OnDestroy(window);
    case kMonitorAreaQuery:
        return OnAreaQuery(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
