// Proves the platform the saver runs on here: Wine's OpenGL on the virtual
// display gives a real context in a real window, draws, and reads back.
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "gl_window.h"

TEST(GlSmoke, DrawsIntoARealWindowAndReadsThePixelsBack) {
    GlWindow gl(64, 64, true);
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
}
