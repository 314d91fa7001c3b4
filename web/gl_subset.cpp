#include "web/gl_subset.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "scene/gl_stand_in.h"
#include "scene/glu_matrices.h"

namespace {

// As deep as the desktop OpenGL the saver meets: a push beyond it is lost,
// and so is a pop of the last matrix, as OpenGL does with its error.
const int kStackDepth = 32;

struct MatrixStack {
    float m[kStackDepth][16];
    int top;
};

struct VertexArray {
    float* data;
    uint32_t vertices;
    uint32_t capacity; // in vertices
};

struct GlSubset {
    MatrixStack modelView;
    MatrixStack projection;
    MatrixStack* current;
    float modelViewProjection[16]; // the two tops multiplied, once per change
    bool modelViewProjectionStale;
    float colour[3];
    GLenum primitive;                   // while inside glBegin/glEnd; 0 outside
    float pending[4][kWebVertexFloats]; // the primitive being assembled
    int pendingCount;
    VertexArray triangles;
    VertexArray lines;
    WebFrame frame;
};

GlSubset gl = {};

void LoadIdentity(float* m) {
    memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1;
}

void Init() {
    if (gl.current)
        return;
    LoadIdentity(gl.modelView.m[0]);
    LoadIdentity(gl.projection.m[0]);
    gl.current = &gl.modelView;
    gl.modelViewProjectionStale = true;
    gl.colour[0] = gl.colour[1] = gl.colour[2] = 1;
    gl.frame.depthFunc = GL_LESS;
}

// The current matrix, about to be changed.
float* Top() {
    Init();
    gl.modelViewProjectionStale = true;
    return gl.current->m[gl.current->top];
}

// a := a * b, both column-major.
void Multiply(float* a, const float* b) {
    float r[16];
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++)
            r[column * 4 + row] = a[row] * b[column * 4] + a[4 + row] * b[column * 4 + 1] +
                                  a[8 + row] * b[column * 4 + 2] + a[12 + row] * b[column * 4 + 3];
    memcpy(a, r, sizeof r);
}

void MultiplyTop(const float* b) {
    Multiply(Top(), b);
}

void Transform(const float* m, const float in[4], float out[4]) {
    for (int row = 0; row < 4; row++)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
}

// A failed growth drops the primitive and keeps what was there.
bool Append(VertexArray& array, const float (*vertices)[kWebVertexFloats], uint32_t count) {
    if (array.vertices + count > array.capacity) {
        uint32_t capacity = array.capacity ? array.capacity * 2 : 4096;
        while (capacity < array.vertices + count)
            capacity *= 2;
        float* grown =
            (float*)realloc(array.data, (size_t)capacity * kWebVertexFloats * sizeof(float));
        if (!grown)
            return false;
        array.data = grown;
        array.capacity = capacity;
    }
    memcpy(array.data + (size_t)array.vertices * kWebVertexFloats, vertices,
           count * sizeof *vertices);
    array.vertices += count;
    return true;
}

} // namespace

void BeginWebFrame() {
    Init();
    gl.triangles.vertices = 0;
    gl.lines.vertices = 0;
}

const WebFrame& WebFrameData() {
    gl.frame.triangleVertices = gl.triangles.vertices;
    gl.frame.triangles = gl.triangles.data;
    gl.frame.lineVertices = gl.lines.vertices;
    gl.frame.lines = gl.lines.data;
    return gl.frame;
}

// Every call the core may make (scene/gl.h), on the CPU.
namespace web_gl {

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    gl.frame.clearColour[0] = red;
    gl.frame.clearColour[1] = green;
    gl.frame.clearColour[2] = blue;
    gl.frame.clearColour[3] = alpha;
}

// A frame starts with the clear: what was drawn before it is gone.
void glClear(GLbitfield mask) {
    if (mask & GL_COLOR_BUFFER_BIT)
        BeginWebFrame();
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    gl.frame.viewport[0] = x;
    gl.frame.viewport[1] = y;
    gl.frame.viewport[2] = width;
    gl.frame.viewport[3] = height;
}

void glEnable(GLenum capability) {
    if (capability == GL_DEPTH_TEST)
        gl.frame.depthTest = 1;
}

void glDisable(GLenum capability) {
    if (capability == GL_DEPTH_TEST)
        gl.frame.depthTest = 0;
}

void glDepthFunc(GLenum function) {
    gl.frame.depthFunc = function;
}

// Fixed for every frame the renderer draws: depth cleared to 1, smooth
// shading, no culling, blending and the alpha test off.
void glClearDepth(GLclampd) {}
void glShadeModel(GLenum) {}
void glFrontFace(GLenum) {}
void glPixelStorei(GLenum, GLint) {}
void glBlendFunc(GLenum, GLenum) {}
void glAlphaFunc(GLenum, GLclampf) {}

void glMatrixMode(GLenum mode) {
    Init();
    gl.current = mode == GL_PROJECTION ? &gl.projection : &gl.modelView;
}

void glLoadIdentity() {
    LoadIdentity(Top());
}

void glPushMatrix() {
    Init();
    gl.modelViewProjectionStale = true;
    MatrixStack& stack = *gl.current;
    if (stack.top + 1 >= kStackDepth)
        return;
    memcpy(stack.m[stack.top + 1], stack.m[stack.top], sizeof stack.m[0]);
    stack.top++;
}

void glPopMatrix() {
    Init();
    gl.modelViewProjectionStale = true;
    MatrixStack& stack = *gl.current;
    if (stack.top > 0)
        stack.top--;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    float* m = Top();
    for (int row = 0; row < 4; row++)
        m[12 + row] += m[row] * x + m[4 + row] * y + m[8 + row] * z;
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    float length = sqrtf(x * x + y * y + z * z);
    if (length == 0)
        return;
    x /= length;
    y /= length;
    z /= length;
    float s = (float)sin(angle * M_PI / 180.0);
    float c = (float)cos(angle * M_PI / 180.0);
    float t = 1 - c;
    const float r[16] = {
        x * x * t + c,
        y * x * t + z * s,
        z * x * t - y * s,
        0,
        x * y * t - z * s,
        y * y * t + c,
        z * y * t + x * s,
        0,
        x * z * t + y * s,
        y * z * t - x * s,
        z * z * t + c,
        0,
        0,
        0,
        0,
        1,
    };
    MultiplyTop(r);
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    gl.colour[0] = red;
    gl.colour[1] = green;
    gl.colour[2] = blue;
}

void glBegin(GLenum mode) {
    Init();
    gl.primitive = mode;
    gl.pendingCount = 0;
}

void glEnd() {
    gl.primitive = 0; // an unfinished primitive draws nothing
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (gl.primitive != GL_TRIANGLES && gl.primitive != GL_QUADS && gl.primitive != GL_LINES)
        return;
    // One product of the two matrices per change, as OpenGL itself keeps it,
    // rather than two transforms per vertex.
    if (gl.modelViewProjectionStale) {
        memcpy(gl.modelViewProjection, gl.projection.m[gl.projection.top], sizeof(float) * 16);
        Multiply(gl.modelViewProjection, gl.modelView.m[gl.modelView.top]);
        gl.modelViewProjectionStale = false;
    }
    const float object[4] = {x, y, z, 1};
    float* vertex = gl.pending[gl.pendingCount++];
    Transform(gl.modelViewProjection, object, vertex);
    memcpy(vertex + kWebVertexColour, gl.colour, sizeof gl.colour);

    const float(*p)[kWebVertexFloats] = gl.pending;
    if (gl.primitive == GL_LINES && gl.pendingCount == 2) {
        Append(gl.lines, p, 2);
    } else if (gl.primitive == GL_TRIANGLES && gl.pendingCount == 3) {
        Append(gl.triangles, p, 3);
    } else if (gl.primitive == GL_QUADS && gl.pendingCount == 4) {
        float quad[6][kWebVertexFloats];
        const int corners[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; i++)
            memcpy(quad[i], p[corners[i]], sizeof quad[i]);
        Append(gl.triangles, quad, 6);
    } else {
        return;
    }
    gl.pendingCount = 0;
}

// The host's GLU: the same matrices, multiplied onto ours.
static void MultiplyTopDouble(const double m[16]) {
    float f[16];
    for (int i = 0; i < 16; i++)
        f[i] = (float)m[i];
    MultiplyTop(f);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double m[16];
    if (PerspectiveMatrix(fovy, aspect, zNear, zFar, m))
        MultiplyTopDouble(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centreX, centreY, centreZ},
                 up[3] = {upX, upY, upZ};
    double m[16];
    LookAtRotation(eye, centre, up, m);
    MultiplyTopDouble(m);
    glTranslatef((float)-eyeX, (float)-eyeY, (float)-eyeZ);
}

} // namespace web_gl

HM_GL_STAND_IN(web_gl)
