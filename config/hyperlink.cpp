#include "config/hyperlink.h"

#include <string.h>

static const char kLinkProperty[] = "href_dat";
static const char kDialogProperty[] = "href_dlg";
static const COLORREF kLinkColour = RGB(0, 0, 255);

static HGLOBAL CopyText(const char* text) {
    size_t size = strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block) {
        memcpy(GlobalLock(block), text, size);
        GlobalUnlock(block);
    }
    return block;
}

template <typename Record> static HGLOBAL NewRecord(const Record& record) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(Record));
    if (block) {
        *(Record*)GlobalLock(block) = record;
        GlobalUnlock(block);
    }
    return block;
}

template <typename Record> static Record ReadRecord(HGLOBAL block) {
    Record record = {};
    if (const Record* stored = (const Record*)GlobalLock(block)) {
        record = *stored;
        GlobalUnlock(block);
    }
    return record;
}

template <typename Record> static void WriteRecord(HGLOBAL block, const Record& record) {
    if (Record* stored = (Record*)GlobalLock(block)) {
        *stored = record;
        GlobalUnlock(block);
    }
}

// Puts the window's own procedure back when it is still ours, so that the
// last messages of its life (WM_NCDESTROY) reach the procedure that frees
// its own data.
static void Unsubclass(HWND window, WNDPROC ours, WNDPROC previous) {
    if ((WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC) == ours)
        SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)previous);
}

void MakeHyperlink(HWND dialog, int controlId, const char* target) {
    HWND control = GetDlgItem(dialog, controlId);
    SetWindowTextA(control, target);
    if (HGLOBAL block = (HGLOBAL)GetPropA(control, kLinkProperty)) {
        LinkData link = ReadRecord<LinkData>(block);
        GlobalFree(link.target);
        link.target = CopyText(target);
        WriteRecord(block, link);
    } else {
        LinkData link = {CopyText(target), (WNDPROC)GetWindowLongPtrA(control, GWLP_WNDPROC)};
        SetPropA(control, kLinkProperty, NewRecord(link));
        SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)LinkWindowProc);
    }
    if (!GetPropA(dialog, kDialogProperty)) {
        LinkDialogData data = {(WNDPROC)GetWindowLongPtrA(dialog, GWLP_WNDPROC), nullptr,
                               CreateSolidBrush(GetSysColor(COLOR_BTNFACE))};
        SetPropA(dialog, kDialogProperty, NewRecord(data));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)LinkDialogWindowProc);
    }
}

static LRESULT LinkDestroyed(HWND window, HGLOBAL block, const LinkData& link, WPARAM wParam,
                             LPARAM lParam) {
    RemovePropA(window, kLinkProperty);
    GlobalFree(link.target);
    GlobalFree(block);
    Unsubclass(window, LinkWindowProc, link.previous);
    return CallWindowProcA(link.previous, window, WM_DESTROY, wParam, lParam);
}

static LRESULT LinkSetCursor() {
    HCURSOR hand = LoadCursorA(nullptr, (LPCSTR)IDC_HAND);
    SetCursor(hand ? hand : LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    return TRUE;
}

static void OpenTarget(HWND window, HGLOBAL targetBlock) {
    HWND owner = GetParent(window);
    if (const char* target = (const char*)GlobalLock(targetBlock)) {
        ShellExecuteA(owner ? owner : window, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
        GlobalUnlock(targetBlock);
    }
}

LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HGLOBAL block = (HGLOBAL)GetPropA(window, kLinkProperty);
    if (!block)
        return DefWindowProcA(window, message, wParam, lParam);
    LinkData link = ReadRecord<LinkData>(block);
    switch (message) {
    case WM_DESTROY:
        return LinkDestroyed(window, block, link, wParam, lParam);
    case WM_SETCURSOR:
        return LinkSetCursor();
    case WM_NCHITTEST:
        return HTCLIENT; // a static lets clicks through to the dialog otherwise
    case WM_LBUTTONDOWN:
        OpenTarget(window, link.target);
        break;
    default:
        break;
    }
    return CallWindowProcA(link.previous, window, message, wParam, lParam);
}

static LRESULT DialogDestroyed(HWND dialog, HGLOBAL block, const LinkDialogData& data,
                               WPARAM wParam, LPARAM lParam) {
    RemovePropA(dialog, kDialogProperty);
    GlobalFree(block);
    DeleteObject(data.brush);
    if (data.font)
        DeleteObject(data.font);
    Unsubclass(dialog, LinkDialogWindowProc, data.previous);
    return CallWindowProcA(data.previous, dialog, WM_DESTROY, wParam, lParam);
}

// The dialog's font as selected for the link, underlined.
static HFONT UnderlinedFont(HDC dc) {
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    LOGFONTA font = {};
    font.lfHeight = metrics.tmHeight;
    font.lfWeight = metrics.tmWeight;
    font.lfItalic = metrics.tmItalic;
    font.lfUnderline = TRUE;
    font.lfStrikeOut = metrics.tmStruckOut;
    font.lfCharSet = metrics.tmCharSet;
    font.lfPitchAndFamily = metrics.tmPitchAndFamily;
    GetTextFaceA(dc, LF_FACESIZE, font.lfFaceName);
    return CreateFontIndirectA(&font);
}

// Every link of the dialog takes the underlined font, so that they all draw
// with the one the dialog data owns before the old one goes.
static void GiveLinksFont(HWND dialog, HFONT font) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetPropA(child, kLinkProperty))
            SendMessageA(child, WM_SETFONT, (WPARAM)font, FALSE);
}

// The link's own font is selected first: some systems colour a static before
// they select its font. The control is then given the underlined font, so
// that it draws with it whichever order its system uses. A control that
// reports another font than ours was given a new one (the dialog's, made
// anew for another DPI): the underlined font follows it.
static LRESULT ColourLink(HWND dialog, HGLOBAL block, LinkDialogData data, HDC dc, HWND control) {
    SetTextColor(dc, kLinkColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    HFONT controlFont = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    if (!data.font || controlFont != data.font) {
        if (controlFont)
            SelectObject(dc, controlFont);
        HFONT old = data.font;
        data.font = UnderlinedFont(dc);
        WriteRecord(block, data);
        GiveLinksFont(dialog, data.font);
        if (old)
            DeleteObject(old);
    }
    SelectObject(dc, data.font);
    return (LRESULT)data.brush;
}

LRESULT CALLBACK LinkDialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HGLOBAL block = (HGLOBAL)GetPropA(dialog, kDialogProperty);
    if (!block)
        return DefWindowProcA(dialog, message, wParam, lParam);
    LinkDialogData data = ReadRecord<LinkDialogData>(block);
    switch (message) {
    case WM_DESTROY:
        return DialogDestroyed(dialog, block, data, wParam, lParam);
    case WM_CTLCOLORSTATIC:
        if (GetPropA((HWND)lParam, kLinkProperty))
            return ColourLink(dialog, block, data, (HDC)wParam, (HWND)lParam);
        break;
    default:
        break;
    }
    return CallWindowProcA(data.previous, dialog, message, wParam, lParam);
}
