// The monitor control, the hyperlink controls and the sheet's life, in real
// Wine windows of this program, with the saver's own resources linked in.
// Pixels are read back from the screen; popup menus are answered from a
// helper thread through the system's input queue.
#include <windows.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <atomic>
#include <string>
#include <thread>

#include "config/config_sheet.h"
#include "config/hyperlink.h"
#include "config/monitor_control.h"
#include "host/saver_host.h"
#include "host/startup.h"
#include "tests/robot/robot.h"

namespace {

const unsigned kMagenta = 0xFF00FF; // the parent's face: shows beside the stand

unsigned Desktop() {
    COLORREF c = GetSysColor(COLOR_BACKGROUND);
    return robot::Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    host.instance = GetModuleHandleA(nullptr);
    strcpy(host.saverName, "Hanging Mobile");
    RegisterWindowClasses();
    WNDCLASSA windowClass = {};
    windowClass.hInstance = host.instance;
    windowClass.lpszClassName = "ControlsTestParent";
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    RegisterClassA(&windowClass);
}

// The MONITOR bitmap's pixels as 0xRRGGBB, rows top to bottom.
struct Art {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;
    unsigned At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

Art LoadArt() {
    Art art;
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), "Monitor");
    BITMAP facts = {};
    GetObjectA(bitmap, sizeof facts, &facts);
    art.width = facts.bmWidth;
    art.height = facts.bmHeight;
    art.pixels.resize((size_t)art.width * art.height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = art.width;
    info.bmiHeader.biHeight = -art.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, art.height, art.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    for (unsigned& p : art.pixels)
        p &= 0xFFFFFF;
    return art;
}

struct ControlsTest : testing::Test {
    HWND parent = nullptr;

    void SetUp() override {
        RegisterClasses();
        host.settings.hotCornerService = 1;
        robot::MoveCursor(1000, 740);
    }
    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
        robot::Pump();
        if (monitorBitmap)
            DeleteObject(monitorBitmap);
        monitorBitmap = nullptr;
    }

    HWND Monitor(const char* text, int width, int height) {
        if (!parent)
            parent =
                CreateWindowExA(WS_EX_TOOLWINDOW, "ControlsTestParent", "", WS_POPUP | WS_VISIBLE,
                                100, 100, 500, 420, nullptr, nullptr, host.instance, nullptr);
        HWND control = CreateWindowExA(0, MONITOR_CLASS, text, WS_CHILD | WS_VISIBLE, 20, 20, width,
                                       height, parent, nullptr, host.instance, nullptr);
        UpdateWindow(parent);
        robot::Pump();
        return control;
    }

    static RECT Area(HWND control, int which) {
        RECT area = {};
        SendMessageA(control, kMonitorAreaQuery, which, (LPARAM)&area);
        return area;
    }

    static robot::Picture Shot(HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        return robot::CaptureScreen(rect);
    }
};

unsigned Pixel(const robot::Picture& picture, int x, int y) {
    return picture.pixels[(size_t)y * picture.width + x];
}

// The box in the shot matches the bitmap's box at `row`, except where the
// checkerboard (when `greyed`) puts the desktop colour.
::testing::AssertionResult BoxIs(const robot::Picture& shot, const RECT& box, const Art& art,
                                 int row, bool greyed) {
    if (box.right - box.left != 24 || box.bottom - box.top != 22)
        return ::testing::AssertionFailure() << "box is not 24 x 22";
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++) {
            bool grey = greyed && ((x - box.left - (y % 2)) % 2 == 0) && x >= box.left + (y % 2);
            unsigned want = grey ? Desktop() : art.At(368 + x - box.left, row + y - box.top);
            if (Pixel(shot, x, y) != want)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << Pixel(shot, x, y)
                       << " not " << want;
        }
    return ::testing::AssertionSuccess();
}

TEST_F(ControlsTest, AreaQueryScalesTheScreenAndKeepsTheBoxesSmall) {
    struct Case {
        int w, h;
        RECT screen;
    } cases[] = {
        {184, 170, {16, 17, 168, 130}},
        {300, 200, {26, 20, 273, 152}},
        {97, 61, {8, 6, 88, 46}},
    };
    for (const Case& c : cases) {
        HWND control = Monitor("----", c.w, c.h);
        RECT s = Area(control, 0);
        EXPECT_TRUE(EqualRect(&s, &c.screen)) << c.w << "x" << c.h << ": " << s.left << "," << s.top
                                              << "," << s.right << "," << s.bottom;
        RECT unknown = Area(control, 9);
        EXPECT_TRUE(EqualRect(&unknown, &c.screen));
        RECT expected[4] = {{s.left, s.top, s.left + 24, s.top + 22},
                            {s.right - 24, s.top, s.right, s.top + 22},
                            {s.right - 24, s.bottom - 22, s.right, s.bottom},
                            {s.left, s.bottom - 22, s.left + 24, s.bottom}};
        for (int i = 0; i < 4; i++) {
            RECT box = Area(control, i + 1);
            EXPECT_TRUE(EqualRect(&box, &expected[i])) << c.w << "x" << c.h << " box " << i + 1;
        }
        DestroyWindow(control);
    }
    EXPECT_NE(nullptr, monitorBitmap) << "the query loads the bitmap";
}

TEST_F(ControlsTest, CornersModeDrawsTheChoicesOnTheDesktopColourAtAnySize) {
    Art art = LoadArt();
    ASSERT_EQ(392, art.width);
    ASSERT_EQ(170, art.height);
    for (SIZE size : {SIZE{184, 170}, SIZE{368, 340}, SIZE{250, 150}}) {
        HWND control = Monitor("-YN-", size.cx, size.cy);
        robot::Picture shot = Shot(control);
        const int rows[4] = {0, 22, 44, 0}; // '-', 'Y', 'N', '-'
        for (int i = 0; i < 4; i++)
            EXPECT_TRUE(BoxIs(shot, Area(control, i + 1), art, rows[i], false))
                << size.cx << "x" << size.cy << " corner " << i;
        RECT screen = Area(control, 0);
        int midX = (screen.left + screen.right) / 2, midY = (screen.top + screen.bottom) / 2;
        EXPECT_EQ(Desktop(), Pixel(shot, midX, midY));
        // The case, scaled: a point on the light grey frame left of the
        // screen, and beside the stand, where the parent shows through.
        EXPECT_EQ(0xC0C0C0u, Pixel(shot, 8 * size.cx / 184, 70 * size.cy / 170));
        EXPECT_EQ(kMagenta, Pixel(shot, 10 * size.cx / 184, 165 * size.cy / 170));
        EXPECT_EQ(kMagenta, Pixel(shot, 178 * size.cx / 184, 150 * size.cy / 170));
        DestroyWindow(control);
    }
}

TEST_F(ControlsTest, WithoutTheAgentTheBoxesAreCheckeredAndIgnoreClicks) {
    host.settings.hotCornerService = 0;
    Art art = LoadArt();
    HWND control = Monitor("-YN-", 184, 170);
    robot::Picture shot = Shot(control);
    EXPECT_TRUE(BoxIs(shot, Area(control, 1), art, 0, true));
    EXPECT_TRUE(BoxIs(shot, Area(control, 2), art, 22, true));
    EXPECT_TRUE(BoxIs(shot, Area(control, 3), art, 44, true));

    RECT box = Area(control, 2);
    POINT point = {box.left + 5, box.top + 5};
    ClientToScreen(control, &point);
    robot::MoveCursor(point.x, point.y);
    robot::ClickButton(robot::LeftButton);
    robot::Pump(); // the click is queued for this thread: handled once this returns
    EXPECT_EQ(nullptr, FindWindowA("#32768", nullptr)) << "a menu opened";
    char text[8] = "";
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ("-YN-", text);
}

// Clicks a corner box of the control; the helper thread answers the popup
// menu: item 0-2 chosen with the mouse, or -1 for Escape.
std::string ClickCorner(HWND control, int corner, int item) {
    RECT box = {};
    SendMessageA(control, kMonitorAreaQuery, corner, (LPARAM)&box);
    POINT point = {box.left + 3, box.top + 3};
    ClientToScreen(control, &point);
    std::atomic<bool> answered(false);
    std::thread helper([&] {
        HWND menu = nullptr;
        for (int i = 0; i < 1500 && !menu; i++) {
            HWND found = FindWindowA("#32768", nullptr);
            if (found && IsWindowVisible(found))
                menu = found;
            else
                Sleep(20);
        }
        if (menu) {
            Sleep(100);
            if (item < 0) {
                robot::PressKey(VK_ESCAPE);
            } else {
                RECT rect;
                GetWindowRect(menu, &rect);
                int height = rect.bottom - rect.top;
                robot::MoveCursor((rect.left + rect.right) / 2,
                                  rect.top + height * (2 * item + 1) / 6);
                Sleep(100);
                robot::ClickButton(robot::LeftButton);
            }
        }
        answered = true;
    });
    robot::MoveCursor(point.x, point.y);
    robot::ClickButton(robot::LeftButton);
    // The menu runs inside this thread's pump and returns its choice there,
    // so once the answer is seen the control has taken it.
    robot::WaitUntil([&] { return answered.load(); });
    helper.join();
    robot::Pump();
    char text[8] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
}

TEST_F(ControlsTest, AMenuChoiceSetsOneCornerAndTheTextIsAlwaysNormalised) {
    HWND control = Monitor("----", 184, 170);
    EXPECT_EQ("-N--", ClickCorner(control, 2, 2)) << "Never on the top-right box";
    EXPECT_EQ("-N-Y", ClickCorner(control, 4, 1)) << "Now on the bottom-left box";
    EXPECT_EQ("-N-Y", ClickCorner(control, 3, -1)) << "menu dismissed";

    SetWindowTextA(control, "Yx");
    EXPECT_EQ("Y---", ClickCorner(control, 1, -1));
    // Outside the boxes nothing opens and nothing changes.
    SetWindowTextA(control, "Yx");
    RECT screen = Area(control, 0);
    POINT middle = {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
    ClientToScreen(control, &middle);
    robot::MoveCursor(middle.x, middle.y);
    robot::ClickButton(robot::LeftButton);
    robot::Pump();
    EXPECT_EQ(nullptr, FindWindowA("#32768", nullptr));
    char text[8] = "";
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ("Yx", text);
}

TEST_F(ControlsTest, TheBackBufferIsKeptUntilTheSizeChanges) {
    HWND control = Monitor("-YN-", 184, 170);
    HBITMAP first = (HBITMAP)GetWindowLongPtrA(control, GWLP_USERDATA);
    ASSERT_NE(nullptr, first);
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
    EXPECT_EQ(first, (HBITMAP)GetWindowLongPtrA(control, GWLP_USERDATA));
    SetWindowPos(control, nullptr, 0, 0, 200, 180, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(control);
    HBITMAP second = (HBITMAP)GetWindowLongPtrA(control, GWLP_USERDATA);
    EXPECT_NE(first, second);
    EXPECT_EQ(0u, GetObjectType(first)) << "the old buffer was not deleted";
    DestroyWindow(control);
    EXPECT_EQ(0u, GetObjectType(second)) << "the buffer outlived the control";
}

TEST_F(ControlsTest, AnEmptyTextHostsAPreviewWindowOverTheScreen) {
    HWND control = Monitor("", 250, 200);
    HWND preview = FindWindowExA(control, nullptr, kSaverClassName, nullptr);
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(-1, (int)GetWindowLongA(preview, 0));
    RECT rect, screen = Area(control, 0);
    GetWindowRect(preview, &rect);
    MapWindowPoints(nullptr, control, (POINT*)&rect, 2);
    EXPECT_TRUE(EqualRect(&rect, &screen));
    DestroyWindow(control);
}

TEST_F(ControlsTest, ThePreviewFollowsTheScreenWhenTheControlIsResized) {
    HWND control = Monitor("", 250, 200);
    HWND preview = FindWindowExA(control, nullptr, kSaverClassName, nullptr);
    ASSERT_NE(nullptr, preview);
    SetWindowPos(control, nullptr, 0, 0, 460, 380, SWP_NOMOVE | SWP_NOZORDER);
    RECT rect, screen = Area(control, 0);
    GetWindowRect(preview, &rect);
    MapWindowPoints(nullptr, control, (POINT*)&rect, 2);
    EXPECT_TRUE(EqualRect(&rect, &screen));
    EXPECT_GT(rect.right - rect.left, 300) << "not scaled with the control";
    DestroyWindow(control);
}

// ---- Hyperlinks, on the About box's template with a plain procedure.

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string TempFolder() {
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    return path;
}

// A command file that leaves a marker file when opened.
std::string MarkerScript(const char* name) {
    std::string script = TempFolder() + name + ".cmd";
    std::string marker = TempFolder() + name + ".opened";
    DeleteFileA(marker.c_str());
    FILE* file = fopen(script.c_str(), "wb");
    fprintf(file, "@echo opened> \"%s\"\r\n", marker.c_str());
    fclose(file);
    return script;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LinkTest : ControlsTest {
    HWND dialog = nullptr;
    void SetUp() override {
        ControlsTest::SetUp();
        dialog = CreateDialogParamA(host.instance, "DLG_ABOUT", nullptr, PlainDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
        SetWindowPos(dialog, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(dialog, SW_SHOW);
        robot::Pump();
    }
    void TearDown() override {
        if (IsWindow(dialog))
            DestroyWindow(dialog);
        ControlsTest::TearDown();
    }
    template <typename Record> Record Read(HWND window, const char* property) {
        Record record = {};
        HGLOBAL block = (HGLOBAL)GetPropA(window, property);
        if (block) {
            record = *(Record*)GlobalLock(block);
            GlobalUnlock(block);
        }
        return record;
    }
    POINT Centre(int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        return {rect.left + 4, (rect.top + rect.bottom) / 2};
    }
};

TEST_F(LinkTest, TwoLinksShareOneFontAndOneBrushAndDestroyReleasesEverything) {
    MakeHyperlink(dialog, 101, "first target");
    MakeHyperlink(dialog, 102, "second target");
    HWND first = GetDlgItem(dialog, 101), second = GetDlgItem(dialog, 102);
    char text[40];
    GetWindowTextA(second, text, sizeof text);
    EXPECT_STREQ("second target", text) << "the control shows its target";

    HDC dc = GetDC(first);
    SelectObject(dc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
    HBRUSH brushOne = (HBRUSH)SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)first);
    HFONT fontOne = (HFONT)GetCurrentObject(dc, OBJ_FONT);
    HBRUSH brushTwo = (HBRUSH)SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)second);
    HFONT fontTwo = (HFONT)GetCurrentObject(dc, OBJ_FONT);
    EXPECT_EQ(RGB(0, 0, 255), GetTextColor(dc));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetBkColor(dc));
    ReleaseDC(first, dc);
    EXPECT_EQ(brushOne, brushTwo);
    EXPECT_EQ(fontOne, fontTwo);
    LinkDialogData shared = Read<LinkDialogData>(dialog, "href_dlg");
    EXPECT_EQ(shared.brush, brushOne);
    EXPECT_EQ(shared.font, fontOne);

    // The font is the dialog's as the system chose it, underlined.
    LOGFONTA linkFont = {};
    GetObjectA(fontOne, sizeof linkFont, &linkFont);
    HDC faceDc = GetDC(dialog);
    char face[LF_FACESIZE] = "";
    SelectObject(faceDc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
    GetTextFaceA(faceDc, sizeof face, face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(faceDc, &metrics);
    ReleaseDC(dialog, faceDc);
    EXPECT_STREQ(face, linkFont.lfFaceName);
    EXPECT_EQ(metrics.tmWeight, linkFont.lfWeight);
    EXPECT_TRUE(linkFont.lfUnderline);
    EXPECT_FALSE(linkFont.lfItalic);

    // Another static keeps its normal colours.
    HWND other = FindWindowExA(dialog, nullptr, "Static", "Written by the Palvane mobile team.");
    ASSERT_NE(nullptr, other);
    HDC otherDc = GetDC(other);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)otherDc, (LPARAM)other);
    EXPECT_NE(RGB(0, 0, 255), GetTextColor(otherDc));
    ReleaseDC(other, otherDc);

    HGLOBAL records[3] = {(HGLOBAL)GetPropA(first, "href_dat"),
                          (HGLOBAL)GetPropA(second, "href_dat"),
                          (HGLOBAL)GetPropA(dialog, "href_dlg")};
    HGLOBAL targets[2] = {Read<LinkData>(first, "href_dat").target,
                          Read<LinkData>(second, "href_dat").target};
    DestroyWindow(dialog);
    EXPECT_EQ(0u, GetObjectType(shared.font));
    EXPECT_EQ(0u, GetObjectType(shared.brush));
    for (HGLOBAL block : records)
        EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, GlobalFlags(block)) << "record not freed";
    for (HGLOBAL block : targets)
        EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, GlobalFlags(block)) << "target copy not freed";
}

// A dialog scaled for another DPI gives its controls a new font; the links'
// underlined font follows it, and the one it replaces is released.
TEST_F(LinkTest, TheUnderlinedFontFollowsANewFontOfTheControl) {
    MakeHyperlink(dialog, 101, "first target");
    MakeHyperlink(dialog, 102, "second target");
    HWND first = GetDlgItem(dialog, 101), second = GetDlgItem(dialog, 102);
    HDC dc = GetDC(first);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)first);
    HFONT before = Read<LinkDialogData>(dialog, "href_dlg").font;
    ASSERT_NE(nullptr, before);

    HFONT larger = CreateFontA(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                               0, "Arial");
    SendMessageA(first, WM_SETFONT, (WPARAM)larger, FALSE);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)first);
    HFONT after = Read<LinkDialogData>(dialog, "href_dlg").font;
    EXPECT_EQ(after, (HFONT)GetCurrentObject(dc, OBJ_FONT));
    ReleaseDC(first, dc);
    ASSERT_NE(before, after);
    EXPECT_EQ(0u, GetObjectType(before)) << "the old underlined font was kept";
    EXPECT_EQ(after, (HFONT)SendMessageA(second, WM_GETFONT, 0, 0)) << "both links share it";

    LOGFONTA font = {};
    GetObjectA(after, sizeof font, &font);
    HDC probe = GetDC(nullptr);
    HGDIOBJ old = SelectObject(probe, larger);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(probe, &metrics);
    SelectObject(probe, old);
    ReleaseDC(nullptr, probe);
    EXPECT_EQ(metrics.tmHeight, font.lfHeight);
    EXPECT_EQ(metrics.tmWeight, font.lfWeight);
    EXPECT_TRUE(font.lfUnderline);
    DestroyWindow(dialog);
    DeleteObject(larger);
}

TEST_F(LinkTest, TheLinkIsDrawnBlueAndUnderlinedOnTheButtonFace) {
    MakeHyperlink(dialog, 102, "https://hanging-mobile.example/");
    SetDlgItemTextA(dialog, 102, "WWWWWWWW");
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    robot::Pump();
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, 102), &rect);
    robot::Picture shot = robot::CaptureScreen(rect);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    unsigned faceRgb = robot::Rgb(GetRValue(face), GetGValue(face), GetBValue(face));
    EXPECT_GT(robot::CountColour(shot, 0x0000FF), 20u);
    EXPECT_EQ(shot.pixels.size(),
              robot::CountColour(shot, 0x0000FF) + robot::CountColour(shot, faceRgb))
        << "only blue on the button face";
    // The underline: a row that is blue along most of the text's width.
    size_t longest = 0;
    for (int y = 0; y < shot.height; y++) {
        size_t run = 0;
        for (int x = 0; x < shot.width; x++) {
            run = Pixel(shot, x, y) == 0x0000FF ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, 30u) << "no underline";
}

TEST_F(LinkTest, SecondCallChangesTheTargetWithoutSubclassingTwice) {
    std::string oldTarget = MarkerScript("hm_link_old");
    std::string newTarget = MarkerScript("hm_link_new");
    MakeHyperlink(dialog, 102, oldTarget.c_str());
    MakeHyperlink(dialog, 102, newTarget.c_str());
    HWND link = GetDlgItem(dialog, 102);
    EXPECT_EQ((LONG_PTR)LinkWindowProc, GetWindowLongPtrA(link, GWLP_WNDPROC));
    EXPECT_NE(LinkWindowProc, Read<LinkData>(link, "href_dat").previous);
    EXPECT_NE(LinkDialogWindowProc, Read<LinkDialogData>(dialog, "href_dlg").previous);

    POINT point = Centre(102);
    robot::MoveCursor(point.x, point.y);
    EXPECT_TRUE(robot::WaitUntil([] {
        return LoadCursorA(nullptr, (LPCSTR)IDC_HAND) == GetCursor();
    })) << "no hand over the link";

    std::string oldMarker = TempFolder() + "hm_link_old.opened";
    std::string newMarker = TempFolder() + "hm_link_new.opened";
    robot::ClickButton(robot::RightButton);
    robot::Pause(1000);
    EXPECT_FALSE(Exists(newMarker)) << "a right click opened the target";
    robot::ClickButton(robot::LeftButton);
    EXPECT_TRUE(robot::WaitUntil([&] { return Exists(newMarker); }))
        << "the new target did not open";
    EXPECT_FALSE(Exists(oldMarker));
}

// ---- The sheet in this process, driven by a helper thread.

HWND FindVisible(const char* className, const char* title) {
    HWND window = FindWindowA(className, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

HWND WaitFor(const char* className, const char* title) {
    HWND window = nullptr;
    for (int i = 0; i < 1500 && !(window = FindVisible(className, title)); i++)
        Sleep(20);
    return window;
}

TEST_F(ControlsTest, TheSheetsMenuEndsWithAboutAndItsResourcesGoWithIt) {
    std::string lastItem, beforeLast;
    UINT lastId = 0, separatorType = 0;
    std::string aboutTitle;
    HBITMAP bitmapSeen = nullptr;
    HICON iconSeen = nullptr;
    bool aboutEnded = false;
    std::thread driver([&] {
        HWND sheet = WaitFor("#32770", "Options for Hanging Mobile");
        if (!sheet)
            return;
        HMENU menu = GetSystemMenu(sheet, FALSE);
        int count = GetMenuItemCount(menu);
        char text[64] = "";
        GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        lastItem = text;
        lastId = GetMenuItemID(menu, count - 1);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, count - 2, TRUE, &info);
        separatorType = info.fType;
        for (int i = 0; i < 500 && !(bitmapSeen = monitorBitmap); i++)
            Sleep(20);
        iconSeen = sheetIcon;

        PostMessageA(sheet, WM_SYSCOMMAND, kAboutCommand, 0);
        HWND about = WaitFor("#32770", "About");
        if (about) {
            char title[64] = "";
            GetDlgItemTextA(about, 101, title, sizeof title);
            aboutTitle = title;
            PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
            for (int i = 0; i < 500 && IsWindow(about); i++)
                Sleep(20);
            aboutEnded = !IsWindow(about);
        }
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    RunConfigSheet(nullptr);
    driver.join();
    EXPECT_EQ("About...", lastItem);
    EXPECT_EQ(kAboutCommand, lastId);
    EXPECT_TRUE(separatorType & MFT_SEPARATOR);
    EXPECT_EQ("Hanging Mobile", aboutTitle);
    EXPECT_TRUE(aboutEnded);
    ASSERT_NE(nullptr, bitmapSeen);
    EXPECT_EQ(nullptr, monitorBitmap);
    EXPECT_EQ(0u, GetObjectType(bitmapSeen)) << "the monitor bitmap outlived the sheet";
    ICONINFO info = {};
    ASSERT_NE(nullptr, iconSeen);
    EXPECT_FALSE(GetIconInfo(iconSeen, &info)) << "the icon outlived the sheet";
    EXPECT_EQ(nullptr, sheetIcon);
}

} // namespace
