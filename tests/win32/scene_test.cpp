// The saver scene in a real Wine window, driven by a small window procedure
// that hands it what the saver window will: creation, ticks, paints, keys.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <vector>

#include "gl_window.h"
#include "host/display_power.h"
#include "host/opengl.h"
#include "host/saver_host.h"
#include "host/saver_scene.h"
#include "host/settings.h"
#include "host/startup.h"
#include "mobile/platform.h"

namespace {

const char* kKey = "Software\\Palvane\\Scene Test Saver";

LRESULT CALLBACK SceneTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverScene* scene = (SaverScene*)GetWindowLongPtrA(window, GWLP_USERDATA);
    switch (message) {
    case WM_CREATE: {
        int32_t index = *(int32_t*)((CREATESTRUCTA*)lParam)->lpCreateParams;
        scene = new SaverScene();
        ConstructScene(*scene, window, index);
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)scene);
        break;
    }
    case WM_TIMER:
        RenderFrame(*scene);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        PaintScene(*scene, dc, client);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        TeardownScene(*scene);
        delete scene;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenSceneWindow(int32_t index, int width = 320, int height = 240) {
    return OpenOwnDcWindow("SceneTest", width, height, SceneTestWindowProc, &index);
}

SaverScene& SceneOf(HWND window) {
    return *(SaverScene*)GetWindowLongPtrA(window, GWLP_USERDATA);
}

int StoredInt(const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return -99999;
    return (int)value;
}

typedef std::vector<unsigned char> Pixels; // RGB

// What the screen shows of the window, read back through GDI.
Pixels FrontBuffer(int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    Pixels pixels((size_t)width * height * 3);
    const unsigned char* bgra = (const unsigned char*)bits;
    for (size_t i = 0; i < (size_t)width * height; i++) {
        pixels[i * 3] = bgra[i * 4 + 2];
        pixels[i * 3 + 1] = bgra[i * 4 + 1];
        pixels[i * 3 + 2] = bgra[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::set<int> Colours(const Pixels& pixels) {
    std::set<int> colours;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
        colours.insert(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]);
    return colours;
}

bool HasColourNear(const std::set<int>& colours, int r, int g, int b, int tolerance) {
    for (int c : colours)
        if (abs((c >> 16) - r) <= tolerance && abs((c >> 8 & 255) - g) <= tolerance &&
            abs((c & 255) - b) <= tolerance)
            return true;
    return false;
}

struct SceneTest : testing::Test {
    void SetUp() override {
        host = SaverHost{};
        host.instance = GetModuleHandleA(nullptr);
        strcpy(host.saverName, "Scene Test Saver");
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        SetTestClock(100000);
    }
    void TearDown() override {
        ClearTestClock();
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        glInitTried = glReady = false;
        glFailureMessage = "";
    }

    // A real saver window of the preview kind, as the saver's class makes it.
    static HWND CreateSaverWindow(int width, int height) {
        RegisterWindowClasses();
        int32_t index = -1;
        return CreateWindowExA(0, kSaverClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, host.instance, &index);
    }
};

} // namespace

TEST_F(SceneTest, StartsFromTheDefaultCameraWithTheMobileParsedAndTheTimerRunning) {
    HWND window = OpenSceneWindow(-1);
    ASSERT_NE(nullptr, window);
    SaverScene& scene = SceneOf(window);
    EXPECT_EQ(20, scene.latitude);
    EXPECT_EQ(0, scene.longitude);
    EXPECT_TRUE(scene.timerRunning);
    EXPECT_EQ(12u, scene.mobile.items.count);
    EXPECT_EQ(100000u, scene.mobile.starttick);
    EXPECT_EQ(nullptr, scene.dc); // fetched by the first frame
    DestroyWindow(window);
}

TEST_F(SceneTest, CameraKeysStepClampWrapAndStoreBothAnglesEveryTime) {
    HWND window = OpenSceneWindow(-1);
    SaverScene& scene = SceneOf(window);
    std::vector<int> latitudes;
    for (int i = 0; i < 7; i++) {
        OnCameraKey(scene, VK_PRIOR);
        latitudes.push_back(scene.latitude);
    }
    EXPECT_EQ(std::vector<int>({5, -10, -25, -40, -55, -70, -85}), latitudes);
    OnCameraKey(scene, VK_UP);
    EXPECT_EQ(-85, scene.latitude);
    EXPECT_EQ(-85, StoredInt("latitude"));
    EXPECT_EQ(0, StoredInt("longitude"));

    OnCameraKey(scene, VK_HOME);
    EXPECT_EQ(345, scene.longitude);
    scene.longitude = 350;
    OnCameraKey(scene, VK_END);
    EXPECT_EQ(5, scene.longitude);
    scene.longitude = 360;
    OnCameraKey(scene, VK_RIGHT);
    EXPECT_EQ(1, scene.longitude);
    scene.longitude = 0;
    OnCameraKey(scene, VK_LEFT);
    EXPECT_EQ(359, scene.longitude);
    OnCameraKey(scene, VK_NEXT);
    OnCameraKey(scene, VK_DOWN);
    EXPECT_EQ(-69, scene.latitude);
    EXPECT_EQ(-69, StoredInt("latitude"));
    EXPECT_EQ(359, StoredInt("longitude"));
    DestroyWindow(window);

    // The next scene starts where this one stopped; a stored 100 is taken as
    // it is until the first key clamps it, even a key that leaves it alone.
    SetSettingInt("latitude", 100);
    window = OpenSceneWindow(-1);
    EXPECT_EQ(100, SceneOf(window).latitude);
    EXPECT_EQ(359, SceneOf(window).longitude);
    OnCameraKey(SceneOf(window), VK_RIGHT);
    EXPECT_EQ(85, StoredInt("latitude"));
    EXPECT_EQ(360, StoredInt("longitude"));
    DestroyWindow(window);
}

TEST_F(SceneTest, OtherMonitorsLoadNothingRunNoTimerAndPaintBlack) {
    HWND window = OpenSceneWindow(1);
    SaverScene& scene = SceneOf(window);
    EXPECT_FALSE(scene.timerRunning);
    EXPECT_EQ(0u, scene.mobile.items.count);
    RenderFrame(scene);
    EXPECT_FALSE(glInitTried);

    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(64, 64, 1, 32, nullptr);
    SelectObject(memory, bitmap);
    RECT all = {0, 0, 64, 64};
    FillRect(memory, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    PaintScene(scene, memory, all);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(memory, 10, 10));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(memory, 63, 63));
    DeleteDC(memory);
    DeleteObject(bitmap);
    DestroyWindow(window);
}

TEST_F(SceneTest, TheFirstPaintIsBlackAndAFailedStartDriftsItsReasonAlongTheDiagonal) {
    HWND window = OpenSceneWindow(0);
    SaverScene& scene = SceneOf(window);
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(1024, 768, 1, 32, nullptr);
    SelectObject(memory, bitmap);
    RECT all = {0, 0, 1024, 768};
    PaintScene(scene, memory, all); // before any frame tried OpenGL
    for (int y = 0; y < 768; y += 16)
        for (int x = 0; x < 1024; x += 16)
            ASSERT_EQ(RGB(0, 0, 0), GetPixel(memory, x, y));

    glInitTried = true; // as after a failed start
    glReady = false;
    glFailureMessage = "Failed to start OpenGL";
    SetTestClock(123456); // p = (123456 / 20) mod 768 = 28
    RECT box = FailureTextBox(123456, 768);
    EXPECT_EQ(-372, box.left);
    EXPECT_EQ(8, box.top);
    EXPECT_EQ(428, box.right);
    EXPECT_EQ(48, box.bottom);
    PaintScene(scene, memory, all);
    int lit = 0, litOutside = 0;
    for (int y = 0; y < 768; y++)
        for (int x = 0; x < 200; x++)
            if (GetPixel(memory, x, y) == RGB(255, 128, 128))
                (y >= 8 && y < 48 ? lit : litOutside)++;
    EXPECT_GT(lit, 20);
    EXPECT_EQ(0, litOutside);
    DeleteDC(memory);
    DeleteObject(bitmap);
    DestroyWindow(window);
}

TEST_F(SceneTest, AFrameShowsTheMobileMovingAndNothingIsDrawnWhileSuspended) {
    const int width = 320, height = 240;
    HWND window = OpenSceneWindow(-1, width, height);
    SaverScene& scene = SceneOf(window);
    RenderFrame(scene);
    ASSERT_TRUE(glReady) << glFailureMessage;
    Pixels first = FrontBuffer(width, height);
    std::set<int> colours = Colours(first);
    EXPECT_TRUE(colours.count(26 << 16 | 26 << 8 | 51)) << "background 0.1, 0.1, 0.2";
    EXPECT_TRUE(HasColourNear(colours, 191, 222, 240, 40)) << "a light cloud shade";
    EXPECT_TRUE(HasColourNear(colours, 0, 135, 0, 40)) << "creature green";
    EXPECT_TRUE(HasColourNear(colours, 255, 0, 0, 40)) << "crest red";

    SetTestClock(100000 + 1000);
    RenderFrame(scene);
    Pixels second = FrontBuffer(width, height);
    EXPECT_NE(first, second);

    host.dismissalSuspended = true;
    SetTestClock(100000 + 5000);
    RenderFrame(scene);
    EXPECT_EQ(second, FrontBuffer(width, height));
    host.dismissalSuspended = false;
    DestroyWindow(window);
}

// The display-state notification, as the system sends it to the saver's own
// window: off stops the frames, dimmed does not, on brings them back.
TEST_F(SceneTest, TheDisplayStateNotificationStopsAndStartsTheFrames) {
    const int width = 320, height = 240;
    HWND window = CreateSaverWindow(width, height);
    ASSERT_NE(nullptr, window);
    struct {
        GUID setting;
        DWORD dataLength;
        DWORD state;
    } change = {{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
                sizeof(DWORD),
                0};
    DWORD clock = 100000;
    auto frameAfter = [&](DWORD state) {
        change.state = state;
        EXPECT_EQ(TRUE, SendMessageA(window, WM_POWERBROADCAST, 0x8013, (LPARAM)&change));
        SetTestClock(clock += 1000);
        SendMessageA(window, WM_TIMER, 1, 0);
        return FrontBuffer(width, height);
    };
    Pixels shown = frameAfter(1);
    ASSERT_TRUE(glReady) << glFailureMessage;
    Pixels dimmed = frameAfter(2);
    EXPECT_NE(shown, dimmed) << "a dimmed display still shows the frames";
    EXPECT_EQ(dimmed, frameAfter(0)) << "a frame was drawn with the display off";
    EXPECT_NE(dimmed, frameAfter(1)) << "no frame once the display was back";
    DestroyWindow(window);
}

// A mouse message without travel proves nothing (the system makes such);
// the end of the password dialog, whatever its answer, shows that somebody
// sees the display: the frames come back, and the window is painted again
// where the dialog was.
TEST_F(SceneTest, AfterThePasswordDialogAWindowWhoseDisplayWentOffDrawsAndIsRepainted) {
    const int width = 320, height = 240;
    HWND window = CreateSaverWindow(width, height);
    ASSERT_NE(nullptr, window);
    SendMessageA(window, WM_TIMER, 1, 0);
    ASSERT_TRUE(glReady) << glFailureMessage;
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(SceneOf(window).timerRunning);
    Pixels off = FrontBuffer(width, height);
    SetTestClock(101000);
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_EQ(off, FrontBuffer(width, height)) << "a frame with the display off";

    ValidateRect(window, nullptr);
    OnDialogEnded(); // as after a cancelled password
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the window is not painted again";
    EXPECT_TRUE(SceneOf(window).timerRunning);
    SetTestClock(102000);
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_NE(off, FrontBuffer(width, height)) << "no frame after the dialog";
    DestroyWindow(window);
}

TEST_F(SceneTest, ThePrimarySceneReleasesTheContextAtTeardownAndCanStartAgain) {
    for (int cycle = 0; cycle < 5; cycle++) {
        HWND window = OpenSceneWindow(0);
        RenderFrame(SceneOf(window));
        ASSERT_TRUE(glReady) << glFailureMessage;
        EXPECT_NE(nullptr, wglGetCurrentContext());
        DestroyWindow(window);
        EXPECT_EQ(nullptr, wglGetCurrentContext());
        EXPECT_FALSE(glInitTried);
    }
}
