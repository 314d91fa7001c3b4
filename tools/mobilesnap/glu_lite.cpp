// The two GLU calls the renderer makes, for the native programs: Mesa's
// off-screen library brings every gl call but no GLU, and the system GLU
// would dispatch to another GL; the X11 program and its floor need nothing
// beyond libGL. Same matrices as GLU builds.
#include "scene/gl.h"
#include "scene/glu_matrices.h"

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double m[16];
    if (PerspectiveMatrix(fovy, aspect, zNear, zFar, m))
        glMultMatrixd(m);
}

void APIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                        GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                        GLdouble upZ) {
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centerX, centerY, centerZ},
                 up[3] = {upX, upY, upZ};
    double m[16];
    LookAtRotation(eye, centre, up, m);
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}
