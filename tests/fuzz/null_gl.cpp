// A null OpenGL for fuzzing the drawing walk: every call the core may make
// (scene/gl.h), doing nothing but keeping count of what a real driver would
// check.
#include "null_gl.h"

#include "scene/gl_stand_in.h"

NullGlCounts nullGl;

namespace null_gl {

void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {
    nullGl.items++;
}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glBegin(GLenum) {}
void glEnd() {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {
    nullGl.vertices++;
}
void glPushMatrix() {
    nullGl.depth++;
}
void glPopMatrix() {
    nullGl.depth--;
}
void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClear(GLbitfield) {
    nullGl.frames++;
}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
               GLdouble) {}

HM_GL_STAND_IN_IGNORED_SETUP()

} // namespace null_gl

HM_GL_STAND_IN(null_gl)
