// The renderer's exact OpenGL calls, against the recording stand-in.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "gl_recorder.h"
#include "mobile/builtin.h"
#include "mobile/parser.h"
#include "scene/gl_setup.h"
#include "scene/renderer.h"
#include "scene/view.h"

namespace {

// A hand-built mobile with the built-in figure's camera and the two top
// levels of its tree: item 1 a branch over end items 2 and 3.
struct TestMobile {
    Mobile mobile = {};

    TestMobile() {
        mobile.perimeter = 52;
        mobile.lookat = 22;
        mobile.thread = 0.08f;
        mobile.threadcolour[0] = 0.2f;
        mobile.threadcolour[1] = 0.2f;
        mobile.threadcolour[2] = 0.3f;
        mobile.background[0] = 0.1f;
        mobile.background[1] = 0.1f;
        mobile.background[2] = 0.2f;
        TableResize(mobile.items, 4);
        Branch(1, 5, {-8.1f, -2.3f, 2}, {6.8f, -0.5f, 3});
        End(2, 4);
        End(3, 11);
    }
    ~TestMobile() { FreeShapesAndItems(); }

    void Branch(int n, float above, Attachment left, Attachment right) {
        MobileItem& item = mobile.items[n];
        item.defined = 1;
        item.isend = 0;
        item.above = above;
        item.desc = -1;
        item.left = left;
        item.right = right;
    }
    void End(int n, float above) {
        MobileItem& item = mobile.items[n];
        item.defined = 1;
        item.isend = 1;
        item.above = above;
        item.desc = -1;
    }
    void Chain(int count) { // item n's left child is n + 1
        TableResize(mobile.items, count + 1);
        for (int n = 1; n < count; n++)
            Branch(n, 1, {0, 0, n + 1}, {0, 0, 0});
        End(count, 1);
    }
    void FreeShapesAndItems() {
        for (uint32_t i = 0; i < mobile.shapes.count; i++)
            TableFree(mobile.shapes[i]);
        TableFree(mobile.shapes);
        TableFree(mobile.items);
    }
};

ShapeCommand Command(ShapeOp op, float a = 0, float b = 0, float c = 0) {
    return ShapeCommand{op, {a, b, c}};
}

int Count(const char* name) {
    return (int)CallsNamed(name).size();
}

std::vector<double> Midpoint(size_t i, size_t j) {
    const std::array<double, 3>& a = glRecording.sceneVertices.at(i);
    const std::array<double, 3>& b = glRecording.sceneVertices.at(j);
    return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
}

} // namespace

TEST(DrawShape, IssuesOneCallPerCommandAndSkipsUnknownKinds) {
    ShapeList shape = {};
    TablePush(shape, Command(Color3, 1, 0.5f, 0));
    TablePush(shape, Command(BeginTriangles));
    TablePush(shape, Command(Vertex3, 1, 2, 3));
    TablePush(shape, Command((ShapeOp)77, 9, 9, 9));
    TablePush(shape, Command(End));
    TablePush(shape, Command(BeginQuads));
    TablePush(shape, Command(BeginLines));
    TablePush(shape, Command((ShapeOp)-1));
    ResetGlRecording();
    DrawShape(shape);
    EXPECT_EQ("glColor3f(1,0.5,0) glBegin(4) glVertex3f(1,2,3) glEnd() glBegin(7) glBegin(1) ",
              Describe(glRecording.calls));

    ShapeList empty = {};
    ResetGlRecording();
    DrawShape(empty);
    EXPECT_TRUE(glRecording.calls.empty());
    TableFree(shape);
}

TEST(DrawItem, TurnsMovesDownDrawsTheStringAsCrossedQuadsThenTheShapeInTheThreadColour) {
    TestMobile t;
    t.mobile.items[2].angle = 30;
    // A shape that sets no colour before its vertex.
    TableResize(t.mobile.shapes, 3);
    TablePush(t.mobile.shapes[2], Command(BeginLines));
    TablePush(t.mobile.shapes[2], Command(Vertex3, 7, 8, 9));
    TablePush(t.mobile.shapes[2], Command(End));
    t.mobile.items[2].desc = 2;

    ResetGlRecording();
    DrawItem(t.mobile, 2);
    EXPECT_EQ("glRotatef(30,0,1,0) glTranslatef(0,-4,0) glColor3f(0.2,0.2,0.3) glBegin(7) "
              "glVertex3f(-0.04,0,0) glVertex3f(0.04,0,0) glVertex3f(0.04,4,0) "
              "glVertex3f(-0.04,4,0) glVertex3f(0,0,-0.04) glVertex3f(0,0,0.04) "
              "glVertex3f(0,4,0.04) glVertex3f(0,4,-0.04) glEnd() "
              "glBegin(1) glVertex3f(7,8,9) glEnd() ",
              Describe(glRecording.calls));
}

TEST(DrawItem, DrawsTheLeftSubtreeInsideAPushAndTheRightChildWithout) {
    TestMobile t;
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_EQ("glRotatef(0,0,1,0) glTranslatef(0,-5,0) glPushMatrix() glTranslatef(-8.1,-2.3,0) "
              "glRotatef(0,0,1,0) glTranslatef(0,-4,0) glPopMatrix() glTranslatef(6.8,-0.5,0) "
              "glRotatef(0,0,1,0) glTranslatef(0,-11,0) ",
              Describe(CallsNamed("glRotatef glTranslatef glPushMatrix glPopMatrix")));
}

TEST(DrawItem, PlacesChildrenWhereTheTurnOfTheirBranchTakesThem) {
    TestMobile t;
    // Item 1's string is vertices 0-7, item 2's 8-15. The middle of the top
    // edge of a string quad is its hanging point, of the bottom edge the
    // item's origin.
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_NEAR(-5, Midpoint(0, 1)[1], 1e-6);
    std::vector<double> hangingPoint = Midpoint(8 + 2, 8 + 3);
    EXPECT_NEAR(-8.1, hangingPoint[0], 1e-5);
    EXPECT_NEAR(-7.3, hangingPoint[1], 1e-5);
    EXPECT_NEAR(0, hangingPoint[2], 1e-5);
    EXPECT_NEAR(-11.3, Midpoint(8, 9)[1], 1e-5);

    // A positive angle is the right-handed turn about +y: +x goes towards -z,
    // so the left hanging point (-8.1 on x) swings round to +8.1 on z.
    t.mobile.items[1].angle = 90;
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    hangingPoint = Midpoint(8 + 2, 8 + 3);
    EXPECT_NEAR(0, hangingPoint[0], 1e-5);
    EXPECT_NEAR(-7.3, hangingPoint[1], 1e-5);
    EXPECT_NEAR(8.1, hangingPoint[2], 1e-5);
}

TEST(DrawItem, FollowsNoBadReferenceNorCycle) {
    TestMobile t;
    t.mobile.items[2] = t.mobile.items[1]; // item 2: a branch whose children are 2 and 3
    t.mobile.items[2].left.item = 2;       // itself: a cycle
    t.mobile.items[3].isend = 0;           // item 3: a branch with bad children
    t.mobile.items[3].left.item = -7;
    t.mobile.items[3].right.item = 1000;
    t.mobile.items[0].defined = 0;
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    // Items 1, 2, 3 (under 2's right), 3 (under 1's right): each drawn once per place.
    EXPECT_EQ(4, Count("glRotatef"));
    EXPECT_EQ(Count("glPushMatrix"), Count("glPopMatrix"));

    ResetGlRecording();
    DrawItem(t.mobile, 0); // undefined
    DrawItem(t.mobile, 99);
    EXPECT_TRUE(glRecording.calls.empty());
}

TEST(DrawItem, DrawsASharedItemInEveryPlaceButBoundsTheWork) {
    TestMobile t;
    t.mobile.items[1].right.item = 2; // item 2 hangs from both arms
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_EQ(3, Count("glRotatef"));

    // Forty levels, each branch hanging the next one from both arms: 2^40
    // places. The walk must stop long before that.
    TableResize(t.mobile.items, 42);
    for (int n = 1; n <= 40; n++)
        t.Branch(n, 1, {1, 0, n + 1}, {-1, 0, n + 1});
    t.End(41, 1);
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_GT(Count("glRotatef"), 41);
    EXPECT_LE(Count("glRotatef"), 16 * 42 + 1024);
    EXPECT_EQ(Count("glPushMatrix"), Count("glPopMatrix"));
}

TEST(DrawItem, WalksADeepChainWithoutRecursion) {
    TestMobile t;
    t.Chain(100000);
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_EQ(100000, Count("glRotatef"));
    EXPECT_EQ(99999, Count("glPushMatrix"));
    EXPECT_EQ(99999, Count("glPopMatrix"));

    // A right-hand chain nests no matrix at all.
    for (int n = 1; n < 100000; n++) {
        t.mobile.items[n].right = t.mobile.items[n].left;
        t.mobile.items[n].left.item = 0;
    }
    ResetGlRecording();
    DrawItem(t.mobile, 1);
    EXPECT_EQ(100000, Count("glRotatef"));
    EXPECT_EQ(2, glRecording.maxModelViewDepth);
}

// Forty levels, each hanging the next from both arms (2^40 places), the
// last one numbered `last`, each with a shape of a hundred commands.
static size_t CallsForSharedLevels(int last, bool* whole) {
    std::string text = "desc 1\n";
    for (int i = 0; i < 100; i++)
        text += "sglVertex3(0,0,0)\n";
    for (int n = 1; n <= 40; n++) {
        int child = n == 40 ? last : n + 1;
        text += "branch " + std::to_string(n) +
                ": desc=1 mass=1 radius=1 above=1 string=1 left=1,0," + std::to_string(child) +
                " right=-1,0," + std::to_string(child) + "\n";
    }
    text += "end " + std::to_string(last) + ": desc=1 mass=1 radius=1 above=1 string=1\n";
    Mobile mobile = {};
    ParseMobileDescription(mobile, text.data(), (uint32_t)text.size());
    ResetGlRecording();
    *whole = DrawMobileView(mobile, 20, 0);
    FreeMobile(mobile);
    return glRecording.calls.size();
}

TEST(DrawMobileView, SharedChildrenDrawWithinOneBudgetWhateverTheirNumbers) {
    bool whole = true;
    size_t calls = CallsForSharedLevels(kMaxMobileNumber, &whole);
    EXPECT_FALSE(whole);
    // The budget is spent, give or take one item, and the highest number
    // buys nothing.
    EXPECT_GT(calls, 16384u - 116);
    EXPECT_LT(calls, 16384u + 200);
    EXPECT_EQ(calls, CallsForSharedLevels(41, &whole));
    EXPECT_EQ(Count("glPushMatrix"), Count("glPopMatrix"));

    // A proper tree is drawn whole, however large.
    Mobile builtin = {};
    ParseMobileDescription(builtin, builtinMobileText, builtinMobileSize);
    ResetGlRecording();
    EXPECT_TRUE(DrawMobileView(builtin, 20, 0));
    EXPECT_EQ(11, Count("glRotatef"));
    FreeMobile(builtin);
    TestMobile t;
    t.Chain(100000);
    EXPECT_TRUE(DrawItem(t.mobile, 1));
}

TEST(DrawMobileView, ClearsPlacesTheCameraOnTheProjectionAndRestoresIt) {
    TestMobile t;
    ResetGlRecording();
    DrawMobileView(t.mobile, 20, 0);
    std::vector<GlCall> frame =
        CallsNamed("glClearColor glClear glMatrixMode glPushMatrix glPopMatrix glLoadIdentity");
    // The item tree's own push/pop pair sits between the two projection calls.
    EXPECT_EQ("glClearColor(0.1,0.1,0.2,0) glClear(16640) glMatrixMode(5889) glPushMatrix() "
              "glMatrixMode(5888) glLoadIdentity() glPushMatrix() glPopMatrix() "
              "glMatrixMode(5889) glPopMatrix() ",
              Describe(frame));
    std::vector<GlCall> lookAt = CallsNamed("gluLookAt");
    ASSERT_EQ(1u, lookAt.size());
    std::vector<double> a(lookAt[0].args, lookAt[0].args + lookAt[0].argCount);
    EXPECT_NEAR(48.864, a[0], 0.001);
    EXPECT_NEAR(-4.215, a[1], 0.001);
    EXPECT_EQ(0, a[2]);
    EXPECT_EQ(std::vector<double>({0, -22, 0, 0, 1, 0}),
              std::vector<double>(a.begin() + 3, a.end()));
}

// Set once per drawing area; again for a new area or once forgotten.
TEST(ReshapeView, SetsTheProjectionOnlyForANewArea) {
    ViewProjection projection = {};
    ResetGlRecording();
    EXPECT_TRUE(ReshapeView(projection, 45, 3, 90, 0, 0, 640, 480));
    EXPECT_FALSE(ReshapeView(projection, 45, 3, 90, 0, 0, 640, 480));
    EXPECT_TRUE(ReshapeView(projection, 45, 3, 90, 10, 0, 810, 600));
    projection.known = false;
    EXPECT_TRUE(ReshapeView(projection, 45, 3, 90, 10, 0, 810, 600));
    EXPECT_EQ("glViewport(0,0,640,480) glViewport(0,0,800,600) glViewport(0,0,800,600) ",
              Describe(CallsNamed("glViewport")));
}

// Wider than tall (and square) the description's field is the vertical one,
// as on Windows; taller than wide it becomes the horizontal one, so the
// mobile spans the narrow side instead of being cut there.
TEST(ReshapeWholeView, KeepsTheDescriptionsFieldAcrossTheNarrowSide) {
    const double radians = M_PI / 180;
    for (const auto& size : std::vector<std::pair<int, int>>{{800, 600}, {500, 500}, {390, 844}}) {
        ViewProjection projection = {};
        ResetGlRecording();
        EXPECT_TRUE(ReshapeWholeView(projection, 45, 3, 90, size.first, size.second));
        std::vector<GlCall> perspective = CallsNamed("gluPerspective");
        ASSERT_EQ(1u, perspective.size());
        double fovy = perspective[0].args[0], aspect = perspective[0].args[1];
        double horizontal = 2 * atan(tan(fovy * radians / 2) * aspect) / radians;
        EXPECT_NEAR(45, size.first >= size.second ? fovy : horizontal, 1e-4) << size.first;
        EXPECT_NEAR((double)size.first / size.second, aspect, 1e-9);
    }
}

TEST(CameraEye, UsesTheCamerasOwnDegreeFactor) {
    TestMobile t;
    double eye[3];
    CameraEye(t.mobile, 20, 90, eye);
    EXPECT_NEAR(0.000016, eye[0], 0.000001);
    EXPECT_NEAR(48.864, eye[2], 0.001);
    CameraEye(t.mobile, 85, 0, eye);
    EXPECT_NEAR(52 * 0.99619 - 22, eye[1], 0.001); // almost straight above the aim point
    EXPECT_LT(eye[0], 4.6);

    // 3.141592 / 180 is a hair under pi / 180: a full turn falls short.
    CameraEye(t.mobile, 0, 360, eye);
    EXPECT_NEAR(52 * sin(2 * 3.141592), eye[2], 1e-9);
    EXPECT_LT(eye[2], -1e-5);
    t.mobile.lookat = 0;
    CameraEye(t.mobile, 0, 0, eye);
    EXPECT_DOUBLE_EQ(52, eye[0]);
    EXPECT_DOUBLE_EQ(0, eye[1]);
}

TEST(GlSetup, ProjectionFollowsTheSize) {
    ResetGlRecording();
    ApplyProjection(45, 3, 90, 1024, 768);
    EXPECT_EQ("glViewport(0,0,1024,768) glMatrixMode(5889) glLoadIdentity() "
              "gluPerspective(45,1.33333,3,90) ",
              Describe(glRecording.calls));
}
