// The OpenGL the portable core may call, declared once: every call with its
// parameters, and the constants and types the core and its stand-ins name.
// The core draws through these and nothing else, so that every stand-in for
// OpenGL can implement them all (scene/gl_stand_in.h): the page's CPU
// OpenGL (web/gl_subset.cpp), the tests' recorder and null OpenGL, the
// frame-cost bench. A call the renderer needs is added here first.
//
// On Windows and natively the system's headers declare the real OpenGL and
// GLU (the hosts call more of it than the core), and this list is held
// against them at compile time: a call, constant or type they declare
// otherwise fails the build, naming it. In the browser there is no OpenGL
// but the page's own, so the core is compiled against this list alone; the
// native build compiles the core's drawing once more that way
// (HM_GL_LIST_ONLY), so that a call outside the list fails to compile in
// every build, naming it, not only in the browser's.
#pragma once

#include <type_traits>

// X(with, result, name, (parameters), (arguments)) for every call, `with`
// passed through to X.
#define HM_GL_CALLS(X, with)                                                                       \
    /* The fixed state (SetFixedGlState) and the clear. */                                         \
    X(with, void, glClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha),     \
      (red, green, blue, alpha))                                                                   \
    X(with, void, glClearDepth, (GLclampd depth), (depth))                                         \
    X(with, void, glClear, (GLbitfield mask), (mask))                                              \
    X(with, void, glDepthFunc, (GLenum func), (func))                                              \
    X(with, void, glShadeModel, (GLenum mode), (mode))                                             \
    X(with, void, glFrontFace, (GLenum mode), (mode))                                              \
    X(with, void, glPixelStorei, (GLenum pname, GLint param), (pname, param))                      \
    X(with, void, glBlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor))               \
    X(with, void, glAlphaFunc, (GLenum func, GLclampf ref), (func, ref))                           \
    X(with, void, glEnable, (GLenum cap), (cap))                                                   \
    X(with, void, glDisable, (GLenum cap), (cap))                                                  \
    /* The drawing area and the matrices. */                                                       \
    X(with, void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height),                   \
      (x, y, width, height))                                                                       \
    X(with, void, glMatrixMode, (GLenum mode), (mode))                                             \
    X(with, void, glLoadIdentity, (), ())                                                          \
    X(with, void, glPushMatrix, (), ())                                                            \
    X(with, void, glPopMatrix, (), ())                                                             \
    X(with, void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                      \
    X(with, void, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))   \
    /* Primitives: the strings and the recorded shapes. */                                         \
    X(with, void, glBegin, (GLenum mode), (mode))                                                  \
    X(with, void, glEnd, (), ())                                                                   \
    X(with, void, glColor3f, (GLfloat red, GLfloat green, GLfloat blue), (red, green, blue))       \
    X(with, void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                        \
    /* GLU: the projection and the camera. */                                                      \
    X(with, void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar), \
      (fovy, aspect, zNear, zFar))                                                                 \
    X(with, void, gluLookAt,                                                                       \
      (GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,            \
       GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ),                                \
      (eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ))

// X(name, value): OpenGL's constants that the core and its stand-ins name.
#define HM_GL_CONSTANTS(X)                                                                         \
    X(GL_LINES, 0x0001)                                                                            \
    X(GL_TRIANGLES, 0x0004)                                                                        \
    X(GL_QUADS, 0x0007)                                                                            \
    X(GL_DEPTH_BUFFER_BIT, 0x00000100)                                                             \
    X(GL_COLOR_BUFFER_BIT, 0x00004000)                                                             \
    X(GL_LESS, 0x0201) /* the depth function a context starts with */                              \
    X(GL_LEQUAL, 0x0203)                                                                           \
    X(GL_GEQUAL, 0x0206)                                                                           \
    X(GL_SRC_ALPHA, 0x0302)                                                                        \
    X(GL_ONE_MINUS_SRC_ALPHA, 0x0303)                                                              \
    X(GL_CCW, 0x0901)                                                                              \
    X(GL_CULL_FACE, 0x0B44)                                                                        \
    X(GL_DEPTH_TEST, 0x0B71)                                                                       \
    X(GL_ALPHA_TEST, 0x0BC0)                                                                       \
    X(GL_BLEND, 0x0BE2)                                                                            \
    X(GL_UNPACK_ALIGNMENT, 0x0CF5)                                                                 \
    X(GL_MODELVIEW, 0x1700)                                                                        \
    X(GL_PROJECTION, 0x1701)                                                                       \
    X(GL_SMOOTH, 0x1D01)

// X(name, type): the types of the calls' parameters.
#define HM_GL_TYPES(X)                                                                             \
    X(GLenum, unsigned int)                                                                        \
    X(GLbitfield, unsigned int)                                                                    \
    X(GLint, int)                                                                                  \
    X(GLsizei, int)                                                                                \
    X(GLfloat, float)                                                                              \
    X(GLclampf, float)                                                                             \
    X(GLdouble, double)                                                                            \
    X(GLclampd, double)

#if defined(__EMSCRIPTEN__) || defined(HM_GL_LIST_ONLY)

// The browser: the types, constants and calls of the list, and no others.
#define APIENTRY
#define HM_GL_DEFINE_TYPE(name, type) typedef type name;
HM_GL_TYPES(HM_GL_DEFINE_TYPE)
#undef HM_GL_DEFINE_TYPE

#define HM_GL_DEFINE_CONSTANT(name, value) name = (value),
enum : GLenum { HM_GL_CONSTANTS(HM_GL_DEFINE_CONSTANT) };
#undef HM_GL_DEFINE_CONSTANT

#define HM_GL_DECLARE_CALL(with, result, name, parameters, arguments)                              \
    result APIENTRY name parameters;
extern "C" {
HM_GL_CALLS(HM_GL_DECLARE_CALL, )
}
#undef HM_GL_DECLARE_CALL

#else

#ifdef _WIN32
#include <windows.h> // before OpenGL's headers, which need its APIENTRY
#endif
#include <GL/gl.h>
#include <GL/glu.h>

#define HM_GL_CHECK_TYPE(name, type)                                                               \
    static_assert(std::is_same<name, type>::value, "scene/gl.h: the system's " #name " differs");
HM_GL_TYPES(HM_GL_CHECK_TYPE)
#undef HM_GL_CHECK_TYPE

#define HM_GL_CHECK_CONSTANT(name, value)                                                          \
    static_assert((name) == (value), "scene/gl.h: the system's " #name " differs");
HM_GL_CONSTANTS(HM_GL_CHECK_CONSTANT)
#undef HM_GL_CHECK_CONSTANT

#endif

// Every call declared as listed: natively and on Windows, by the system.
#define HM_GL_CHECK_CALL(with, result, name, parameters, arguments)                                \
    /* NOLINTNEXTLINE(bugprone-macro-parentheses): a parameter list, parentheses and all */        \
    static_assert(std::is_same<decltype(&::name), result(APIENTRY*) parameters>::value,            \
                  "scene/gl.h: the system declares " #name " otherwise");
HM_GL_CALLS(HM_GL_CHECK_CALL, )
#undef HM_GL_CHECK_CALL
