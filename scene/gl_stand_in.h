// For a stand-in for the core's OpenGL (scene/gl.h): a program that links
// the core without a real OpenGL supplies every call of the list itself.
//
// The stand-in writes each call as a function of its own namespace, with the
// call's name and exactly its parameters, then says once
//
//     HM_GL_STAND_IN(recorder)
//
// at global scope, which defines OpenGL's functions (extern "C", APIENTRY,
// as the system's headers declare them) to call those. A call of the list
// that the namespace lacks fails to compile there, naming the call ("no
// member named 'glLineWidth' in namespace 'recorder'"), and so does one whose
// parameters differ. HM_GL_STAND_IN_WITH(space, attributes) puts the
// attributes (`__attribute__((noipa))`) before each of OpenGL's functions.
#pragma once

#include <type_traits>

#include "scene/gl.h"

#define HM_GL_STAND_IN_NAMESPACE(space, attributes) space
#define HM_GL_STAND_IN_ATTRIBUTES(space, attributes) attributes

#define HM_GL_STAND_IN_CALL(with, result, name, parameters, arguments)                             \
    HM_GL_STAND_IN_ATTRIBUTES with result APIENTRY name parameters {                               \
        /* NOLINTNEXTLINE(bugprone-macro-parentheses): a parameter list, parentheses and all */    \
        using Listed = result(*) parameters;                                                       \
        static_assert(std::is_same<decltype(&HM_GL_STAND_IN_NAMESPACE with::name), Listed>::value, \
                      "the stand-in's " #name " takes other parameters than scene/gl.h lists");    \
        return HM_GL_STAND_IN_NAMESPACE with::name arguments;                                      \
    }

#define HM_GL_STAND_IN_WITH(space, attributes)                                                     \
    extern "C" {                                                                                   \
    HM_GL_CALLS(HM_GL_STAND_IN_CALL, (space, attributes))                                          \
    }
#define HM_GL_STAND_IN(space) HM_GL_STAND_IN_WITH(space, )

// Inside a stand-in's namespace: the context's set-up and projection calls,
// which no frame makes, as calls that do nothing, for a stand-in that only
// follows frames.
#define HM_GL_STAND_IN_IGNORED_SETUP()                                                             \
    inline void glClearDepth(GLclampd) {}                                                          \
    inline void glDepthFunc(GLenum) {}                                                             \
    inline void glShadeModel(GLenum) {}                                                            \
    inline void glFrontFace(GLenum) {}                                                             \
    inline void glPixelStorei(GLenum, GLint) {}                                                    \
    inline void glBlendFunc(GLenum, GLenum) {}                                                     \
    inline void glAlphaFunc(GLenum, GLclampf) {}                                                   \
    inline void glEnable(GLenum) {}                                                                \
    inline void glDisable(GLenum) {}                                                               \
    inline void glViewport(GLint, GLint, GLsizei, GLsizei) {}                                      \
    inline void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
