#include "scene/glu_matrices.h"

#include <math.h>
#include <string.h>

// Not every C library names it.
static const double kPi = 3.14159265358979323846;

bool PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar, double m[16]) {
    double radians = fovy / 2 * kPi / 180;
    double depth = zFar - zNear;
    double sine = sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0)
        return false;
    double cotangent = cos(radians) / sine;
    memset(m, 0, 16 * sizeof *m);
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / depth;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / depth;
    return true;
}

static void Normalise(double v[3]) {
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

void LookAtRotation(const double eye[3], const double centre[3], const double up[3], double m[16]) {
    double forward[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    double side[3], trueUp[3];
    Normalise(forward);
    Cross(forward, up, side);
    Normalise(side);
    Cross(side, forward, trueUp);
    const double rotation[16] = {
        side[0], trueUp[0], -forward[0], 0, side[1], trueUp[1], -forward[1], 0,
        side[2], trueUp[2], -forward[2], 0, 0,       0,         0,           1,
    };
    memcpy(m, rotation, sizeof rotation);
}
