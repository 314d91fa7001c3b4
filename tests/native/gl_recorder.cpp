#include "gl_recorder.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "scene/gl_stand_in.h"

GlRecording glRecording;

namespace {

struct Matrix {
    double m[16]; // column-major, as OpenGL keeps it
};

Matrix Identity() {
    Matrix r = {};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r = {};
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            for (int k = 0; k < 4; k++)
                r.m[col * 4 + row] += a.m[k * 4 + row] * b.m[col * 4 + k];
    return r;
}

std::vector<Matrix> modelView(1, Identity());
std::vector<Matrix> projection(1, Identity());
GLenum matrixMode = GL_MODELVIEW;

std::vector<Matrix>& Stack() {
    return matrixMode == GL_PROJECTION ? projection : modelView;
}

void Record(const char* name, std::initializer_list<double> args) {
    GlCall call = {name, {}, 0};
    for (double arg : args)
        call.args[call.argCount++] = arg;
    glRecording.calls.push_back(call);
}

void MultiplyCurrent(const Matrix& by) {
    Stack().back() = Multiply(Stack().back(), by);
}

} // namespace

void ResetGlRecording() {
    glRecording = GlRecording();
    modelView.assign(1, Identity());
    projection.assign(1, Identity());
    matrixMode = GL_MODELVIEW;
}

std::vector<GlCall> CallsNamed(const char* names) {
    std::string wanted = std::string(" ") + names + " ";
    std::vector<GlCall> out;
    for (const GlCall& call : glRecording.calls) {
        std::string name = std::string(" ") + call.name + " ";
        if (wanted.find(name) != std::string::npos)
            out.push_back(call);
    }
    return out;
}

std::string Describe(const std::vector<GlCall>& calls) {
    std::string out;
    for (const GlCall& call : calls) {
        out += std::string(call.name) + "(";
        for (int i = 0; i < call.argCount; i++) {
            char number[32];
            snprintf(number, sizeof number, "%s%g", i ? "," : "", call.args[i]);
            out += number;
        }
        out += ") ";
    }
    return out;
}

// Every call the core may make (scene/gl.h), recorded.
namespace recorder {

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    Record("glRotatef", {angle, x, y, z});
    // Rotation about a unit axis, as OpenGL defines it.
    double len = sqrt((double)x * x + (double)y * y + (double)z * z);
    double ux = x / len, uy = y / len, uz = z / len;
    double radians = angle * M_PI / 180.0, c = cos(radians), s = sin(radians);
    Matrix r = Identity();
    r.m[0] = ux * ux * (1 - c) + c;
    r.m[1] = uy * ux * (1 - c) + uz * s;
    r.m[2] = ux * uz * (1 - c) - uy * s;
    r.m[4] = ux * uy * (1 - c) - uz * s;
    r.m[5] = uy * uy * (1 - c) + c;
    r.m[6] = uy * uz * (1 - c) + ux * s;
    r.m[8] = ux * uz * (1 - c) + uy * s;
    r.m[9] = uy * uz * (1 - c) - ux * s;
    r.m[10] = uz * uz * (1 - c) + c;
    MultiplyCurrent(r);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Record("glTranslatef", {x, y, z});
    Matrix t = Identity();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    MultiplyCurrent(t);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    Record("glColor3f", {r, g, b});
}
void glBegin(GLenum mode) {
    Record("glBegin", {(double)mode});
}
void glEnd() {
    Record("glEnd", {});
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Record("glVertex3f", {x, y, z});
    const double* m = modelView.back().m;
    glRecording.sceneVertices.push_back({m[0] * x + m[4] * y + m[8] * z + m[12],
                                         m[1] * x + m[5] * y + m[9] * z + m[13],
                                         m[2] * x + m[6] * y + m[10] * z + m[14]});
}

void glPushMatrix() {
    Record("glPushMatrix", {});
    Stack().push_back(Stack().back());
    if ((int)modelView.size() > glRecording.maxModelViewDepth)
        glRecording.maxModelViewDepth = (int)modelView.size();
}

void glPopMatrix() {
    Record("glPopMatrix", {});
    if (Stack().size() > 1)
        Stack().pop_back();
}

void glMatrixMode(GLenum mode) {
    Record("glMatrixMode", {(double)mode});
    matrixMode = mode;
}

void glLoadIdentity() {
    Record("glLoadIdentity", {});
    Stack().back() = Identity();
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Record("glClearColor", {r, g, b, a});
}
void glClear(GLbitfield mask) {
    Record("glClear", {(double)mask});
}
void glClearDepth(GLclampd depth) {
    Record("glClearDepth", {depth});
}
void glDepthFunc(GLenum func) {
    Record("glDepthFunc", {(double)func});
}
void glShadeModel(GLenum mode) {
    Record("glShadeModel", {(double)mode});
}
void glFrontFace(GLenum mode) {
    Record("glFrontFace", {(double)mode});
}
void glPixelStorei(GLenum name, GLint value) {
    Record("glPixelStorei", {(double)name, (double)value});
}
void glBlendFunc(GLenum s, GLenum d) {
    Record("glBlendFunc", {(double)s, (double)d});
}
void glAlphaFunc(GLenum func, GLclampf ref) {
    Record("glAlphaFunc", {(double)func, ref});
}
void glEnable(GLenum cap) {
    Record("glEnable", {(double)cap});
}
void glDisable(GLenum cap) {
    Record("glDisable", {(double)cap});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("glViewport", {(double)x, (double)y, (double)w, (double)h});
}

void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    Record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    Record("gluPerspective", {fovy, aspect, zNear, zFar});
}

} // namespace recorder

HM_GL_STAND_IN(recorder)
