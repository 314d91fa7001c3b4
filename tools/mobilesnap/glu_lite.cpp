// The two GLU calls the renderer makes, for the native programs: Mesa's
// off-screen library brings every gl call but no GLU, and the system GLU
// would dispatch to another GL; the X11 program and its floor need nothing
// beyond libGL. Same matrices as GLU builds.
#include <math.h>

#include "scene/gl.h"

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double f = 1.0 / tan(fovy * M_PI / 360.0);
    double m[16] = {};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1;
    m[14] = 2 * zFar * zNear / (zNear - zFar);
    glMultMatrixd(m);
}

static void Normalize(double v[3]) {
    double length = sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

static void Cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void APIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                        GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                        GLdouble upZ) {
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    Normalize(forward);
    double side[3], trueUp[3];
    Cross(forward, up, side);
    Normalize(side);
    Cross(side, forward, trueUp);
    double m[16] = {side[0], trueUp[0], -forward[0], 0, side[1], trueUp[1], -forward[1], 0,
                    side[2], trueUp[2], -forward[2], 0, 0,       0,         0,           1};
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}
