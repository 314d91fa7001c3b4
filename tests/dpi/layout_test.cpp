// The real saver at 96, 120, 144 and 192 dpi (Wine's LogPixels in the test
// prefix): the full-screen window covers the screen and shows the mobile
// across it, and the sheet's pages and the About box scale as a whole, with
// every text fitting its control as it does at 96 dpi and the template's own
// overlaps kept.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "host/dpi_messages.h"
#include "tests/e2e/e2e.h"
#include "tests/robot/dpi.h"
#include "tests/robot/robot.h"
#include "tests/robot/window_text.h"

namespace {

const DWORD kDpis[] = {96, 120, 144, 192};
const char kCaption[] = "Options for Hanging Mobile";

using robot::Send;
using robot::Text;

std::string Show(const RECT& r) {
    return e2e::Show(r);
}

// The dialogs' font as the dialog manager makes it at `dpi`: 8 points of the
// templates' face. Fonts are not shared between processes, so the test makes
// its own and checks below that it has the dialog's average width.
HFONT DialogFont(DWORD dpi) {
    return CreateFontA(-MulDiv(8, (int)dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE, "MS Sans Serif");
}

// What the dialog manager takes as the font's average width: the alphabet's.
int AverageWidth(HDC dc) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    return (size.cx / 26 + 1) / 2;
}

// One control of a dialog: where it lies in the dialog's client area, and
// whether each text it shows fits it.
struct Control {
    int id;
    std::string className;
    LONG style;
    RECT rect;
    std::vector<std::string> texts;
    std::vector<bool> fits;
};

struct Layout {
    RECT client;
    int averageWidth, height; // of the test's font at this DPI: the dialog units
    std::vector<Control> controls;
};

// The room a control leaves its text, beside what it draws itself (check
// box, arrow, frame), in pixels at `dpi`.
int Decoration(const Control& control, DWORD dpi) {
    int type = control.style & 0x0F;
    if (control.className == "Button" && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX))
        return MulDiv(16, (int)dpi, 96);
    if (control.className == "ComboBox")
        return MulDiv(20, (int)dpi, 96);
    if (control.className == "Button" || control.className == "Edit")
        return MulDiv(6, (int)dpi, 96);
    return 0;
}

bool Fits(HDC dc, const Control& control, const std::string& text, DWORD dpi) {
    int width = control.rect.right - control.rect.left - Decoration(control, dpi);
    int height = control.rect.bottom - control.rect.top;
    if (control.className == "ComboBox")
        height = INT_MAX; // the window is the closed list's whole height
    RECT need = {0, 0, width, 0};
    bool wraps = control.className == "Static" && (control.style & 0x1F) <= SS_RIGHT;
    UINT format = DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), -1, &need, format);
    return need.right <= width && need.bottom <= height;
}

// The texts a control shows: its window text, and every entry of a list.
std::vector<std::string> Texts(HWND window, const std::string& className) {
    if (className == "ComboBox") {
        std::vector<std::string> texts;
        LRESULT selected = Send(window, CB_GETCURSEL);
        for (LRESULT i = 0, count = Send(window, CB_GETCOUNT); i < count; i++) {
            Send(window, CB_SETCURSEL, i);
            texts.push_back(Text(window));
        }
        Send(window, CB_SETCURSEL, selected);
        return texts;
    }
    if (className == "Static" || className == "Button")
        return {Text(window)};
    return {};
}

Layout Measure(HWND dialog, DWORD dpi) {
    Layout layout = {};
    GetClientRect(dialog, &layout.client);
    HDC dc = GetDC(nullptr);
    HFONT font = DialogFont(dpi);
    HGDIOBJ old = SelectObject(dc, font);
    layout.averageWidth = AverageWidth(dc);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    layout.height = metrics.tmHeight;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        robot::WindowFacts facts = robot::Describe(child);
        Control control = {
            GetDlgCtrlID(child), facts.className, (LONG)facts.style, facts.rect, {}, {}};
        MapWindowPoints(nullptr, dialog, (POINT*)&control.rect, 2);
        control.texts = Texts(child, control.className);
        for (const std::string& text : control.texts)
            control.fits.push_back(Fits(dc, control, text, dpi));
        layout.controls.push_back(control);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return layout;
}

const Control* Find(const Layout& layout, int id) {
    for (const Control& control : layout.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

struct Sheets {
    Layout general, options, about;
    size_t boxPixels; // of the corner boxes: what is not the desktop colour on the screen
};

// The corner boxes' pixels on the General page's monitor: everything on its
// screen area that is not the desktop colour the screen is filled with.
size_t CornerBoxPixels(HWND monitor) {
    RECT client;
    GetClientRect(monitor, &client);
    int w = client.right, h = client.bottom;
    RECT screen = {16 * w / 184, 17 * h / 170, 168 * w / 184, 130 * h / 170};
    MapWindowPoints(monitor, nullptr, (POINT*)&screen, 2);
    COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    return robot::CountOtherThan(
        robot::CaptureScreen(screen),
        robot::Rgb(GetRValue(desktop), GetGValue(desktop), GetBValue(desktop)));
}

struct LayoutTest : e2e::SaverTest {
    robot::LogPixelsRestorer restorer; // 96 again after the test, however it ends

    void SetUp() override {
        e2e::SaverTest::SetUp();
        robot::WriteString(HKEY_CURRENT_USER, e2e::kSystemKey, "Mouse Corners", "-YN-");
        ASSERT_TRUE(robot::SeeDevicePixels());
    }
    void TearDown() override {
        e2e::SaverTest::TearDown();
        robot::DeleteValue(HKEY_CURRENT_USER, e2e::kSystemKey, "Mouse Corners");
    }

    HWND TopLevel(const char* title) {
        HWND found = nullptr;
        robot::WaitUntil([&] {
            for (HWND window : robot::TopLevelWindows(saver.id, "#32770"))
                if (IsWindowVisible(window) && Text(window) == title)
                    found = window;
            return found != nullptr;
        });
        return found;
    }

    // What the screen shows of the window: at 192 dpi the sheet is taller
    // than the test display (tools/with-display --size gives a larger one).
    void Save(HWND window, const std::string& name) {
        RECT rect,
            screen = e2e::Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        GetWindowRect(window, &rect);
        IntersectRect(&rect, &rect, &screen);
        robot::SaveBitmap(robot::CaptureScreen(rect), robot::OwnFolder() + name + ".bmp");
    }

    // The sheet's pages and the About box at the DPI, with pictures of them
    // beside the test program.
    void MeasureSheet(DWORD dpi, Sheets* sheets) {
        ASSERT_TRUE(robot::SetLogPixels(dpi));
        ASSERT_TRUE(robot::Start(saver, "/c"));
        HWND sheet = TopLevel(kCaption);
        ASSERT_NE(nullptr, sheet) << "no sheet at " << dpi << " dpi";
        SetWindowPos(sheet, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::string suffix = "_" + std::to_string(dpi);
        for (int index : {1, 0}) { // Options first: the sheet opens on it
            Send(sheet, PSM_SETCURSEL, index);
            HWND page = (HWND)Send(sheet, PSM_GETCURRENTPAGEHWND);
            ASSERT_TRUE(robot::WaitUntil([&] { return IsWindowVisible(page) != FALSE; }));
            ASSERT_TRUE(robot::WaitForPainted(page));
            (index == 0 ? sheets->general : sheets->options) = Measure(page, dpi);
            if (index == 0)
                sheets->boxPixels = CornerBoxPixels(GetDlgItem(page, 112));
            Save(sheet, (index == 0 ? "config_general" : "config_options") + suffix);
        }
        PostMessageA(sheet, WM_SYSCOMMAND, 3500, 0);
        HWND about = TopLevel("About");
        ASSERT_NE(nullptr, about) << "no About box at " << dpi << " dpi";
        SetWindowPos(about, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ASSERT_TRUE(robot::WaitForPainted(about));
        sheets->about = Measure(about, dpi);
        Save(about, "config_about" + suffix);
        PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(robot::WaitUntil([&] { return !IsWindow(about); }));
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        ExpectEndsWithZero("the sheet's Cancel");
    }
};

// Every control lies where the 96-dpi one lies times the scale of the
// dialog units, which follow the font: its average width across, its height
// down. A font's size is whole pixels (8 points are 11 pixels at 96 dpi, 16
// at 144, 21 at 192), so its height grows a little less than the DPI: the
// units must still stay within a tenth of the DPI's ratio. Each text fits
// as it fits at 96 dpi.
void ExpectScaled(const Layout& base, const Layout& scaled, DWORD dpi, const char* what) {
    SCOPED_TRACE(std::string(what) + " at " + std::to_string(dpi) + " dpi");
    double ratio = dpi / 96.0;
    double sx = (double)scaled.averageWidth / base.averageWidth;
    double sy = (double)scaled.height / base.height;
    EXPECT_NEAR(ratio, sx, 0.1 * ratio) << "average width " << scaled.averageWidth;
    EXPECT_NEAR(ratio, sy, 0.1 * ratio) << "height " << scaled.height;
    EXPECT_NEAR(base.client.right * sx, scaled.client.right, 3);
    EXPECT_NEAR(base.client.bottom * sy, scaled.client.bottom, 3);
    ASSERT_EQ(base.controls.size(), scaled.controls.size());
    for (size_t i = 0; i < base.controls.size(); i++) {
        const Control& was = base.controls[i];
        const Control& now = scaled.controls[i];
        ASSERT_EQ(was.className, now.className);
        ASSERT_EQ(was.id, now.id);
        const int tolerance = 2;
        RECT want = {(LONG)(was.rect.left * sx + 0.5), (LONG)(was.rect.top * sy + 0.5),
                     (LONG)(was.rect.right * sx + 0.5), (LONG)(was.rect.bottom * sy + 0.5)};
        if (now.className == "ComboBox")
            want.bottom = now.rect.bottom; // the closed list's height follows its font
        if (now.className == "Static" && (now.style & SS_TYPEMASK) == SS_ICON) {
            // Sized to the icon, which the system scales with the DPI itself.
            want.right = want.left + (LONG)((was.rect.right - was.rect.left) * ratio + 0.5);
            want.bottom = want.top + (LONG)((was.rect.bottom - was.rect.top) * ratio + 0.5);
        }
        EXPECT_TRUE(abs(want.left - now.rect.left) <= tolerance &&
                    abs(want.top - now.rect.top) <= tolerance &&
                    abs(want.right - now.rect.right) <= tolerance &&
                    abs(want.bottom - now.rect.bottom) <= tolerance)
            << now.className << " " << now.id << " at " << Show(now.rect) << ", not " << Show(want);
        ASSERT_EQ(was.texts, now.texts);
        for (size_t t = 0; t < was.texts.size(); t++)
            EXPECT_EQ(was.fits[t], now.fits[t])
                << "'" << now.texts[t] << "' in " << now.className << " " << now.id
                << (now.fits[t] ? " fits only here" : " is cut off");
    }
}

// The overlaps the General page's template has on purpose.
void ExpectTemplateOverlaps(const Layout& page, DWORD dpi) {
    SCOPED_TRACE("General page at " + std::to_string(dpi) + " dpi");
    const Control* corners = Find(page, 101);
    const Control* noAgent = Find(page, 102);
    ASSERT_TRUE(corners && noAgent);
    EXPECT_TRUE(EqualRect(&corners->rect, &noAgent->rect)) << "the explanations share one place";
    EXPECT_GT(corners->rect.right, page.client.right) << "wider than the page";
    const Control* group = Find(page, 103);
    ASSERT_NE(nullptr, group);
    for (int id = 104; id <= 110; id++) {
        const Control* member = Find(page, id);
        ASSERT_NE(nullptr, member) << id;
        RECT rect = member->rect;
        if (member->className == "ComboBox")
            rect.bottom = rect.top + 1; // the closed list; its drop-down may reach out
        EXPECT_TRUE(Inside(rect, group->rect)) << id << " at " << Show(member->rect);
    }
}

// The up-down sits against its edit, over the edit's border as at 96 dpi.
void ExpectSpinAgainstEdit(const Layout& base, const Layout& page, DWORD dpi) {
    SCOPED_TRACE("General page at " + std::to_string(dpi) + " dpi");
    const Control *edit = Find(page, 107), *spin = Find(page, 108);
    const Control *edit96 = Find(base, 107), *spin96 = Find(base, 108);
    ASSERT_TRUE(edit && spin && edit96 && spin96);
    int overlap = edit->rect.right - spin->rect.left;
    EXPECT_EQ(edit96->rect.right - spin96->rect.left, overlap);
    EXPECT_TRUE(overlap >= 0 && overlap <= 3) << overlap;
    EXPECT_EQ(edit->rect.top, spin->rect.top);
    EXPECT_EQ(edit->rect.bottom, spin->rect.bottom);
}

TEST_F(LayoutTest, TheSheetAndTheAboutBoxScaleWithTheDpiAndEveryTextFitsAsAt96) {
    std::map<DWORD, Sheets> measured;
    for (DWORD dpi : kDpis) {
        MeasureSheet(dpi, &measured[dpi]);
        if (HasFatalFailure())
            return;
    }
    for (DWORD dpi : kDpis) {
        const Sheets& sheets = measured[dpi];
        // The test's font is the dialogs' own: its units give the page's size.
        EXPECT_NEAR(sheets.general.client.right, 237 * sheets.general.averageWidth / 4, 1)
            << dpi << " dpi";
        EXPECT_NEAR(sheets.general.client.bottom, 220 * sheets.general.height / 8, 1)
            << dpi << " dpi";
        ExpectTemplateOverlaps(sheets.general, dpi);
        ExpectSpinAgainstEdit(measured[96].general, sheets.general, dpi);
        ExpectScaled(measured[96].general, sheets.general, dpi, "General page");
        // The corner boxes grow with the DPI in both directions.
        double area = (dpi / 96.0) * (dpi / 96.0);
        EXPECT_NEAR(measured[96].boxPixels * area, sheets.boxPixels,
                    0.1 * measured[96].boxPixels * area)
            << "corner boxes at " << dpi << " dpi";
        // Without the agent the boxes are greyed: half their pixels desktop.
        EXPECT_GE(measured[96].boxPixels, 4u * 24 * 22 / 2) << "no corner boxes at 96 dpi";
        ExpectScaled(measured[96].options, sheets.options, dpi, "Options page");
        ExpectScaled(measured[96].about, sheets.about, dpi, "About box");
    }
}

TEST_F(LayoutTest, FullScreenCoversTheScreenAndDrawsAcrossItAtEveryDpi) {
    for (DWORD dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        ASSERT_TRUE(robot::SetLogPixels(dpi));
        std::vector<HWND> windows = StartSaver("/s");
        ASSERT_EQ(1u, windows.size());
        RECT screen = e2e::Rect(0, 0, e2e::kScreenWidth, e2e::kScreenHeight);
        EXPECT_TRUE(e2e::SameRect(screen, robot::Describe(windows[0]).rect))
            << Show(robot::Describe(windows[0]).rect);
        // Drawn at the window's own resolution: the mobile's background
        // reaches the far corner too, not only a scaled-down part.
        EXPECT_TRUE(e2e::WaitForMobile(screen));
        RECT farCorner =
            e2e::Rect(e2e::kScreenWidth * 3 / 4, 0, e2e::kScreenWidth, e2e::kScreenHeight / 4);
        robot::Picture corner = robot::CaptureScreen(farCorner);
        EXPECT_GT(robot::CountColour(corner, e2e::kBackground, 2), corner.pixels.size() / 2);
        ASSERT_TRUE(KeyboardReachesSaver());
        robot::PressKey(VK_SPACE);
        ExpectEndsWithZero("a key");
    }
}

// A new DPI makes the system suggest a rectangle of the old logical size;
// the full-screen window goes back over its monitor instead, and the preview
// goes back to filling its parent. The test moves both first, so that only
// the saver's answer to the message can put them back.
TEST_F(LayoutTest, ADpiChangeKeepsTheFullScreenWindowOnItsMonitorAndThePreviewFillingItsParent) {
    std::vector<HWND> windows = StartSaver("/s");
    ASSERT_EQ(1u, windows.size());
    RECT screen = e2e::Rect(0, 0, e2e::kScreenWidth, e2e::kScreenHeight);
    SetWindowPos(windows[0], nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    Send(windows[0], WM_DPICHANGED, MAKEWPARAM(192, 192));
    EXPECT_TRUE(robot::WaitUntil([&] {
        return e2e::SameRect(screen, robot::Describe(windows[0]).rect);
    })) << Show(robot::Describe(windows[0]).rect);
    robot::Stop(saver);

    HWND parent = OpenRobotWindow(e2e::Rect(200, 200, 352, 312), "preview area");
    ASSERT_NE(nullptr, parent);
    ASSERT_TRUE(robot::Start(saver, "/p " + std::to_string((unsigned long long)parent)));
    std::vector<HWND> children;
    ASSERT_TRUE(robot::WaitUntil([&] {
        children = robot::ChildWindows(parent, kSaverClassName);
        return children.size() == 1 && IsWindowVisible(children[0]);
    }));
    SetWindowPos(parent, nullptr, 0, 0, 304, 224, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Send(children[0], WM_DPICHANGED_AFTERPARENT);
    RECT filled = e2e::Rect(200, 200, 504, 424);
    EXPECT_TRUE(robot::WaitUntil([&] {
        return e2e::SameRect(filled, robot::Describe(children[0]).rect);
    })) << Show(robot::Describe(children[0]).rect);
}

} // namespace
