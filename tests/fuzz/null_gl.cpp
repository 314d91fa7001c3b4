// A null OpenGL for fuzzing the drawing walk: every call the renderer makes,
// doing nothing but keeping count of what a real driver would check.
#include "null_gl.h"

#include "scene/gl.h"

NullGlCounts nullGl;

void APIENTRY glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {
    nullGl.items++;
}
void APIENTRY glTranslatef(GLfloat, GLfloat, GLfloat) {}
void APIENTRY glColor3f(GLfloat, GLfloat, GLfloat) {}
void APIENTRY glBegin(GLenum) {}
void APIENTRY glEnd() {}
void APIENTRY glVertex3f(GLfloat, GLfloat, GLfloat) {
    nullGl.vertices++;
}
void APIENTRY glPushMatrix() {
    nullGl.depth++;
}
void APIENTRY glPopMatrix() {
    nullGl.depth--;
}
void APIENTRY glMatrixMode(GLenum) {}
void APIENTRY glLoadIdentity() {}
void APIENTRY glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void APIENTRY glClear(GLbitfield) {
    nullGl.frames++;
}
void APIENTRY gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                        GLdouble, GLdouble) {}
