// The two matrices the renderer asks GLU for, built as GLU builds them, for
// the programs that have no GLU of their own: the off-screen snapshot tool
// and the browser page. Column-major, as OpenGL takes them.
#pragma once

// gluPerspective's matrix. False, leaving `m` alone, where GLU changes
// nothing: no depth range, no angle or no aspect.
bool PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar, double m[16]);

// gluLookAt's turn towards the centre; the caller then translates by -eye,
// as gluLookAt does.
void LookAtRotation(const double eye[3], const double centre[3], const double up[3], double m[16]);
