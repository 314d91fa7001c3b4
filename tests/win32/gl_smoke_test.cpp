// Proves the platform the saver runs on here: Wine's OpenGL on the virtual
// display gives a real context in a real window, draws, and reads back.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

struct GlWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

GlWindow OpenGlWindow(int width, int height) {
    GlWindow gl;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GlSmokeTest";
    RegisterClassA(&windowClass);
    gl.window = CreateWindowExA(0, "GlSmokeTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!gl.window)
        return gl;
    gl.dc = GetDC(gl.window);
    PIXELFORMATDESCRIPTOR wish = {};
    wish.nSize = sizeof wish;
    wish.nVersion = 1;
    wish.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wish.iPixelType = PFD_TYPE_RGBA;
    wish.cColorBits = 24;
    wish.cDepthBits = 16;
    int format = ChoosePixelFormat(gl.dc, &wish);
    if (format == 0 || !SetPixelFormat(gl.dc, format, &wish))
        return gl;
    gl.context = wglCreateContext(gl.dc);
    if (gl.context && !wglMakeCurrent(gl.dc, gl.context)) {
        wglDeleteContext(gl.context);
        gl.context = nullptr;
    }
    return gl;
}

void CloseGlWindow(GlWindow& gl) {
    if (gl.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(gl.context);
    }
    if (gl.dc)
        ReleaseDC(gl.window, gl.dc);
    if (gl.window)
        DestroyWindow(gl.window);
}

} // namespace

TEST(GlSmoke, DrawsIntoARealWindowAndReadsThePixelsBack) {
    GlWindow gl = OpenGlWindow(64, 64);
    ASSERT_NE(gl.window, nullptr) << "CreateWindowEx failed: " << GetLastError();
    ASSERT_NE(gl.context, nullptr) << "no OpenGL context";

    const char* renderer = (const char*)glGetString(GL_RENDERER);
    ASSERT_NE(renderer, nullptr);
    RecordProperty("renderer", renderer);

    glViewport(0, 0, 64, 64);
    glClearColor(1.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // A green quad over the middle half of the window.
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(0.5f, -0.5f);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    glFinish();

    unsigned char corner[4] = {}, centre[4] = {};
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    EXPECT_EQ(GL_NO_ERROR, (int)glGetError());
    EXPECT_EQ(255, corner[0]);
    EXPECT_EQ(0, corner[1]);
    EXPECT_EQ(0, centre[0]);
    EXPECT_EQ(255, centre[1]);
    EXPECT_TRUE(SwapBuffers(gl.dc));

    CloseGlWindow(gl);
}
