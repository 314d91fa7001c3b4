// The two GLU calls the core makes, from the core's own matrices: the
// Wayland program links no GLU.
#include "scene/gl.h"
#include "scene/glu_matrices.h"

extern "C" {

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double m[16];
    if (PerspectiveMatrix(fovy, aspect, zNear, zFar, m))
        glMultMatrixd(m);
}

void APIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX,
                        GLdouble centreY, GLdouble centreZ, GLdouble upX, GLdouble upY,
                        GLdouble upZ) {
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centreX, centreY, centreZ},
                 up[3] = {upX, upY, upZ};
    double m[16];
    LookAtRotation(eye, centre, up, m);
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}
}
