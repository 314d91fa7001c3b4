// Pixel-format ranking, the display-mode choice, the fixed state, and the
// real context start on a Wine window.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

#include "gl_window.h"
#include "scene/gl_setup.h"
#include "scene/opengl.h"

namespace {

PIXELFORMATDESCRIPTOR Format(DWORD extraFlags, int colour, int depth) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.dwFlags = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER | extraFlags;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = (BYTE)colour;
    format.cDepthBits = (BYTE)depth;
    return format;
}

const PixelFormatWish kSaverWish = {16, 16, 1, 1};
const DWORD kAcceleratedGeneric = PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits, DWORD frequency) {
    DEVMODEA mode = {};
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmDisplayFrequency = frequency;
    return mode;
}

void ForgetOpenGl() {
    glInitTried = glReady = false;
    glFailureMessage = "";
}

// What SetFixedGlState leaves in the current context, read back from it.
void ExpectTheFixedGlState() {
    GLfloat clear[5] = {-1, -1, -1, -1, -1}, alphaRef = -1;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, clear + 4);
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
    EXPECT_EQ(std::vector<GLfloat>({0, 0, 0, 0, 1}), std::vector<GLfloat>(clear, clear + 5));
    EXPECT_NEAR(0.07, alphaRef, 1e-6);
    auto integer = [](GLenum name) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    };
    EXPECT_EQ(GL_LEQUAL, integer(GL_DEPTH_FUNC));
    EXPECT_EQ(GL_SMOOTH, integer(GL_SHADE_MODEL));
    EXPECT_EQ(GL_CCW, integer(GL_FRONT_FACE));
    EXPECT_EQ(1, integer(GL_UNPACK_ALIGNMENT));
    EXPECT_EQ(GL_SRC_ALPHA, integer(GL_BLEND_SRC));
    EXPECT_EQ(GL_ONE_MINUS_SRC_ALPHA, integer(GL_BLEND_DST));
    EXPECT_EQ(GL_GEQUAL, integer(GL_ALPHA_TEST_FUNC));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

} // namespace

// Each setting changed first, so that one left out shows as well.
TEST(FixedGlState, ReplacesWhateverWasSetBefore) {
    GlWindow gl(64, 64, true);
    ASSERT_NE(nullptr, gl.context) << "no OpenGL context";
    glClearColor(1, 0.5f, 0.25f, 1);
    glClearDepth(0.5);
    glDepthFunc(GL_GREATER);
    glShadeModel(GL_FLAT);
    glFrontFace(GL_CW);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
    glAlphaFunc(GL_LESS, 0.5f);
    for (GLenum capability : {GL_ALPHA_TEST, GL_BLEND, GL_CULL_FACE})
        glEnable(capability);
    glDisable(GL_DEPTH_TEST);
    SetFixedGlState();
    ExpectTheFixedGlState();
    EXPECT_EQ(GL_NO_ERROR, (int)glGetError());
}

TEST(PixelFormat, ScoresRankByWishesThenDriverClassThenDepthAndColour) {
    EXPECT_EQ(64766, ScorePixelFormat(Format(0, 16, 16), kSaverWish));
    EXPECT_EQ(61682, ScorePixelFormat(Format(0, 32, 24), kSaverWish));
    EXPECT_EQ(63736, ScorePixelFormat(Format(kAcceleratedGeneric, 16, 32), kSaverWish));
    EXPECT_EQ(60604, ScorePixelFormat(Format(PFD_GENERIC_FORMAT, 16, 16), kSaverWish));
    // "any" wishes are always met; a bitmap-capable colour-index format.
    PIXELFORMATDESCRIPTOR indexed = Format(PFD_DRAW_TO_BITMAP | PFD_GENERIC_ACCELERATED, 8, 0);
    indexed.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(32768 + 16384 + 8192 + 4096 + 2048 + 1024 + 1,
              ScorePixelFormat(indexed, PixelFormatWish{-1, -1, -1, -1}));
}

TEST(PixelFormat, BestIsTheHighestScoreTheLowestNumberOnTiesAndNeverAZeroScore) {
    PIXELFORMATDESCRIPTOR formats[] = {Format(PFD_GENERIC_FORMAT, 16, 16), Format(0, 32, 24),
                                       Format(0, 16, 16), Format(0, 16, 16)};
    EXPECT_EQ(3, BestPixelFormat(formats, 4, kSaverWish));
    PIXELFORMATDESCRIPTOR nothing = {};
    nothing.iPixelType = PFD_TYPE_COLORINDEX;
    nothing.dwFlags = PFD_GENERIC_ACCELERATED | PFD_DOUBLEBUFFER;
    nothing.cDepthBits = 5;
    EXPECT_EQ(0, ScorePixelFormat(nothing, PixelFormatWish{8, 0, 0, 1}));
    EXPECT_EQ(0, BestPixelFormat(&nothing, 1, PixelFormatWish{8, 0, 0, 1}));
    EXPECT_EQ(0, BestPixelFormat(formats, 0, kSaverWish));
}

TEST(FastMode, PrefersTheLowestFrequencyAbove70ElseTheFastest) {
    DEVMODEA usual[] = {Mode(640, 480, 16, 60), Mode(640, 480, 32, 72), Mode(640, 480, 16, 85),
                        Mode(640, 480, 16, 72), Mode(800, 600, 16, 72), Mode(640, 480, 16, 75),
                        Mode(640, 480, 16, 72)};
    EXPECT_EQ(3, ChooseFastMode(usual, 7));
    DEVMODEA only60[] = {Mode(1024, 768, 16, 60), Mode(640, 480, 16, 60)};
    EXPECT_EQ(1, ChooseFastMode(only60, 2));
    DEVMODEA upTo70[] = {Mode(640, 480, 16, 60), Mode(640, 480, 16, 70), Mode(640, 480, 16, 70)};
    EXPECT_EQ(1, ChooseFastMode(upTo70, 3));
    DEVMODEA none[] = {Mode(640, 480, 32, 75), Mode(640, 400, 16, 75)};
    EXPECT_EQ(-1, ChooseFastMode(none, 2));
}

TEST(StartOpenGL, SetsTheFixedStateOnARealWindowOnceAndStopReleasesIt) {
    ForgetOpenGl();
    GlWindow gl(200, 100, false); // the saver's own start makes the context
    ASSERT_NE(nullptr, gl.window);
    StartOpenGL(gl.dc);
    ASSERT_TRUE(glReady) << glFailureMessage;
    ASSERT_NE(nullptr, wglGetCurrentContext());
    ExpectTheFixedGlState();

    // A second start does nothing: the same context stays current.
    HGLRC context = wglGetCurrentContext();
    StartOpenGL(gl.dc);
    EXPECT_EQ(context, wglGetCurrentContext());

    StopOpenGL();
    EXPECT_EQ(nullptr, wglGetCurrentContext());
    EXPECT_FALSE(glInitTried);
}

namespace {
RECT Viewport() {
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    return RECT{v[0], v[1], v[0] + v[2], v[1] + v[3]};
}
} // namespace

TEST(SetProjection, AppliesOnlyANewRectangleAndEachStartForgetsTheLast) {
    ForgetOpenGl();
    GlWindow gl(200, 100, false); // the saver's own start makes the context
    ASSERT_NE(nullptr, gl.window);
    HDC dc = gl.dc;
    StartOpenGL(dc);
    ASSERT_TRUE(glReady) << glFailureMessage;
    const RECT empty = {0, 0, 0, 0}, moved = {10, 10, 110, 60}, unit = {0, 0, 1, 1};
    EXPECT_TRUE(EqualRect(&empty, &projectionRect));

    SetProjection(45, 3, 90, moved);
    RECT viewport = Viewport(), expected = {0, 0, 100, 50};
    EXPECT_TRUE(EqualRect(&expected, &viewport));
    EXPECT_TRUE(EqualRect(&moved, &projectionRect));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(GL_PROJECTION, mode);

    // The same rectangle again is skipped: the viewport set by hand stays.
    glViewport(0, 0, 1, 1);
    SetProjection(45, 3, 90, moved);
    viewport = Viewport();
    EXPECT_TRUE(EqualRect(&unit, &viewport));

    // After a new start the same rectangle applies again.
    StopOpenGL();
    StartOpenGL(dc);
    ASSERT_TRUE(glReady) << glFailureMessage;
    EXPECT_TRUE(EqualRect(&empty, &projectionRect));
    glViewport(0, 0, 1, 1);
    SetProjection(45, 3, 90, moved);
    viewport = Viewport();
    EXPECT_TRUE(EqualRect(&expected, &viewport));

    StopOpenGL();
}

TEST(StartOpenGL, ADeviceContextWithoutPixelFormatsFailsForGood) {
    ForgetOpenGl();
    HDC metafile = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, metafile);
    StartOpenGL(metafile);
    EXPECT_FALSE(glReady);
    EXPECT_STREQ("Graphics card doesn't support these display settings", glFailureMessage);
    // Not retried until stopped.
    glFailureMessage = "unchanged";
    StartOpenGL(metafile);
    EXPECT_STREQ("unchanged", glFailureMessage);
    DeleteEnhMetaFile(CloseEnhMetaFile(metafile));
    ForgetOpenGl();
}
