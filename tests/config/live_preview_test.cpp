// The preview's pixels, read back from OpenGL itself: this display never
// shows what OpenGL draws into a child window, but the window's own context
// still holds the frame it drew. The preview child of a 152 x 112 parent (as
// /p makes it) and the live preview that the Options page's monitor control
// hosts, each in this program with the saver's own resources linked in.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <string.h>

#include "config/config_sheet.h"
#include "config/monitor_control.h"
#include "host/opengl.h"
#include "host/saver_host.h"
#include "host/saver_windows.h"
#include "host/startup.h"
#include "tests/robot/robot.h"

namespace {

const unsigned kBackground = 0x1A1A33; // the built-in mobile's 0.1, 0.1, 0.2

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// The last frame the window's context drew: its back buffer, which keeps
// the frame after the swap here. Empty when the window's device context
// does not hold the current context (then nothing drawn there can be read).
robot::Picture LastFrame(HWND window) {
    robot::Picture picture = {0, 0, {}};
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window); // the class keeps one device context per window
    bool current = wglGetCurrentContext() && wglGetCurrentDC() == dc;
    ReleaseDC(window, dc);
    if (!current || client.right <= 0 || client.bottom <= 0)
        return picture;
    int width = client.right, height = client.bottom;
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (glGetError() != GL_NO_ERROR)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize((size_t)width * height);
    for (int y = 0; y < height; y++) // OpenGL's rows run bottom to top
        for (int x = 0; x < width; x++) {
            const unsigned char* p = &rgb[((size_t)(height - 1 - y) * width + x) * 3];
            picture.pixels[(size_t)y * width + x] = robot::Rgb(p[0], p[1], p[2]);
        }
    return picture;
}

bool HasColourNear(const robot::Picture& picture, unsigned rgb) {
    return robot::CountColour(picture, rgb, 40) > 0;
}

struct LivePreviewTest : testing::Test {
    HWND parent = nullptr;

    void SetUp() override {
        host = SaverHost{};
        host.instance = GetModuleHandleA(nullptr);
        strcpy(host.saverName, "Hanging Mobile");
        host.mode = ModePreview;
        static bool registered = false;
        if (!registered) {
            RegisterWindowClasses();
            WNDCLASSA windowClass = {};
            windowClass.hInstance = host.instance;
            windowClass.lpszClassName = "LivePreviewTestParent";
            windowClass.lpfnWndProc = ParentProc;
            RegisterClassA(&windowClass);
            registered = true;
        }
    }

    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
        robot::Pump();
        glInitTried = glReady = false;
    }

    HWND OpenParent(int width, int height) {
        parent =
            CreateWindowExA(0, "LivePreviewTestParent", "preview parent", WS_POPUP | WS_VISIBLE,
                            100, 100, width, height, nullptr, nullptr, host.instance, nullptr);
        return parent;
    }

    // Lets the preview's timer draw until its last frame shows the mobile,
    // then checks the frame, and that a frame a second later differs.
    void ExpectMovingMobile(HWND preview, int width, int height) {
        robot::Picture frame = {0, 0, {}};
        auto showsMobile = [&] {
            frame = LastFrame(preview);
            size_t all = frame.pixels.size();
            return all > 0 && robot::CountColour(frame, kBackground, 2) > all / 2;
        };
        ASSERT_TRUE(robot::WaitUntil(showsMobile))
            << (frame.pixels.empty() ? "no frame could be read from the preview's context"
                                     : "the frame is not the mobile's background");
        EXPECT_EQ(width, frame.width);
        EXPECT_EQ(height, frame.height);
        EXPECT_TRUE(HasColourNear(frame, robot::Rgb(191, 222, 240))) << "a light cloud shade";
        EXPECT_TRUE(HasColourNear(frame, robot::Rgb(0, 135, 0))) << "creature green";
        EXPECT_TRUE(robot::WaitUntil([&] {
            robot::Picture later = LastFrame(preview);
            return later.pixels.size() == frame.pixels.size() && later.pixels != frame.pixels;
        })) << "the frames stand still";
    }
};

TEST_F(LivePreviewTest, ThePreviewChildDrawsTheMovingMobile) {
    ASSERT_NE(nullptr, OpenParent(152, 112));
    HWND preview = CreatePreviewWindow(parent, {0, 0, 152, 112});
    ASSERT_NE(nullptr, preview);
    ExpectMovingMobile(preview, 152, 112);
}

TEST_F(LivePreviewTest, TheOptionsPagesMonitorDrawsTheMovingMobileOnItsScreen) {
    host.mode = ModeConfig;
    ASSERT_NE(nullptr, OpenParent(400, 420));
    HWND page = CreateDialogParamA(host.instance, "DLG_OPTIONS", parent, OptionsPageProc, 0);
    ASSERT_NE(nullptr, page);
    ShowWindow(page, SW_SHOW);
    HWND monitor = FindWindowExA(page, nullptr, MONITOR_CLASS, nullptr);
    ASSERT_NE(nullptr, monitor) << "the Options page has no monitor control";
    HWND preview = FindWindowExA(monitor, nullptr, kSaverClassName, nullptr);
    ASSERT_NE(nullptr, preview) << "the monitor control hosts no preview";
    RECT screen = {};
    SendMessageA(monitor, kMonitorAreaQuery, 0, (LPARAM)&screen);
    ExpectMovingMobile(preview, screen.right - screen.left, screen.bottom - screen.top);
}

} // namespace
