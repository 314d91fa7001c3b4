// Pixel-format ranking, the display-mode choice, the fixed state, and the
// real context start on a Wine window.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

#include "gl_window.h"
#include "host/opengl.h"
#include "scene/gl_setup.h"

namespace {

const DWORD kWindow = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW;
const DWORD kDouble = kWindow | PFD_DOUBLEBUFFER;
const DWORD kAcceleratedGeneric = PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;
const BYTE kIndexed = PFD_TYPE_COLORINDEX;

PIXELFORMATDESCRIPTOR Format(DWORD flags, int colour, int depth, BYTE type = PFD_TYPE_RGBA) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.dwFlags = flags;
    format.iPixelType = type;
    format.cColorBits = (BYTE)colour;
    format.cDepthBits = (BYTE)depth;
    return format;
}

const PixelFormatWish kSaverWish = {16, 16, 1, 1};
const PixelFormatWish kAnyFormat = {-1, -1, -1, -1};

// `better` is chosen over `worse` wherever either stands in the list.
testing::AssertionResult Beats(const PIXELFORMATDESCRIPTOR& better,
                               const PIXELFORMATDESCRIPTOR& worse, const PixelFormatWish& wish) {
    PIXELFORMATDESCRIPTOR first[] = {better, worse}, second[] = {worse, better};
    if (BestPixelFormat(first, 2, wish) == 1 && BestPixelFormat(second, 2, wish) == 2)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "scores " << ScorePixelFormat(better, wish) << " and "
                                       << ScorePixelFormat(worse, wish);
}

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

// Each pair differs in one preference, the better format losing every one
// that ranks below it where it can, so each must outweigh all below it.
TEST(PixelFormat, EachPreferenceOutweighsAllThatRankBelowIt) {
    const DWORD hardware = kDouble | PFD_DRAW_TO_BITMAP; // wins every minor preference
    EXPECT_TRUE(Beats(Format(kWindow | PFD_GENERIC_FORMAT, 8, 0, kIndexed),
                      Format(hardware & ~PFD_DRAW_TO_WINDOW, 16, 16), kSaverWish))
        << "OpenGL on a window";
    EXPECT_TRUE(Beats(Format(kWindow | PFD_GENERIC_FORMAT, 8, 24, kIndexed),
                      Format(hardware, 16, 0), kSaverWish))
        << "a depth buffer";
    EXPECT_TRUE(Beats(Format(kDouble | PFD_GENERIC_FORMAT, 8, 24, kIndexed),
                      Format(hardware & ~PFD_DOUBLEBUFFER, 16, 16), kSaverWish))
        << "double buffering";
    EXPECT_TRUE(Beats(Format(kDouble | kAcceleratedGeneric, 8, 24, kIndexed),
                      Format(hardware | PFD_GENERIC_FORMAT, 16, 16), kSaverWish))
        << "acceleration";
    EXPECT_TRUE(Beats(Format(kDouble | kAcceleratedGeneric, 16, 24, kIndexed),
                      Format(hardware, 32, 16), kSaverWish))
        << "the wished colour bits";
    EXPECT_TRUE(Beats(Format(kDouble | kAcceleratedGeneric, 32, 16, kIndexed),
                      Format(hardware, 32, 24), kSaverWish))
        << "the wished depth bits";
    EXPECT_TRUE(Beats(Format(kDouble | kAcceleratedGeneric, 8, 0),
                      Format(hardware, 16, 16, kIndexed), kAnyFormat))
        << "RGBA";
    EXPECT_TRUE(
        Beats(Format(kDouble, 16, 16), Format(kDouble | kAcceleratedGeneric, 16, 16), kSaverWish))
        << "full hardware";
    EXPECT_TRUE(Beats(Format(kDouble | kAcceleratedGeneric, 16, 16),
                      Format(kDouble | PFD_GENERIC_FORMAT, 16, 16), kAnyFormat))
        << "accelerated generic";
    // Unwished sizes: 16 bits, then more, then fewer; a bitmap breaks a tie.
    EXPECT_TRUE(Beats(Format(kDouble, 16, 24), Format(kDouble, 32, 24), kAnyFormat));
    EXPECT_TRUE(Beats(Format(kDouble, 32, 24), Format(kDouble, 8, 24), kAnyFormat));
    EXPECT_TRUE(Beats(Format(kDouble, 32, 16), Format(kDouble, 32, 24), kAnyFormat));
    EXPECT_TRUE(Beats(Format(kDouble, 32, 24), Format(kDouble, 32, 0), kAnyFormat));
    EXPECT_TRUE(Beats(Format(hardware, 16, 16), Format(kDouble, 16, 16), kSaverWish));
    // A wish for neither buffer swap nor acceleration turns those round; "any" is always met.
    EXPECT_TRUE(Beats(Format(kWindow | PFD_GENERIC_FORMAT, 16, 16), Format(kDouble, 16, 16),
                      PixelFormatWish{16, 16, 0, 0}));
    EXPECT_EQ(ScorePixelFormat(Format(kDouble, 16, 16), kAnyFormat),
              ScorePixelFormat(Format(kWindow, 16, 16), kAnyFormat));
}

TEST(PixelFormat, BestIsTheHighestScoreTheLowestNumberOnTiesAndNeverAZeroScore) {
    PIXELFORMATDESCRIPTOR formats[] = {Format(kDouble | PFD_GENERIC_FORMAT, 16, 16),
                                       Format(kDouble, 32, 24), Format(kDouble, 16, 16),
                                       Format(kDouble, 16, 16)};
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
