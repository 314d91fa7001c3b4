// The built-in mobile as the program carries it: natively the embedded
// text, on Windows the RCDATA 1 resource of the test program itself.
#include <math.h>

#include <set>
#include <string>
#include <vector>

#include "core_test.h"

#ifdef _WIN32
#include <windows.h>
#include "resources/resource.h"
#else
#include "mobile/builtin.h"
#endif

namespace {

const double kPi = 3.14159265358979323846;

std::string BuiltinText() {
#ifdef _WIN32
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_MOBILE), (LPCSTR)RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const char* bytes = loaded ? (const char*)LockResource(loaded) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(nullptr, resource)) : std::string();
#else
    return std::string(builtinMobileText, builtinMobileSize);
#endif
}

struct ItemRow {
    int n;
    bool isend;
    int desc;
    float mass, radius, above, string;
    Attachment left, right;
};

// The figure's tree: five clouds over the creature's six pieces.
const ItemRow kItems[] = {
    {1, false, 1, 2, 120, 5, 0.02f, {-8.1f, -2.3f, 2}, {6.8f, -0.5f, 3}},
    {2, false, 2, 0.4f, 5, 4, 0.1f, {-6.6f, 0, 4}, {3.9f, -1.5f, 5}},
    {3, false, 3, 0.2f, 4, 11, 0.1f, {-2.5f, -0.4f, 6}, {4, -0.4f, 7}},
    {4, false, 4, 0.2f, 4, 3, 0.1f, {-6, -1.3f, 8}, {1.3f, -0.8f, 9}},
    {5, false, 5, 0.2f, 4, 5.5f, 0.12f, {-2.9f, -0.3f, 10}, {3.3f, -0.3f, 11}},
    {6, true, 7, 0.3f, 2, 5.5f, 0.1f, {}, {}},
    {7, true, 8, 0.48f, 2, 6.5f, 0.1f, {}, {}},
    {8, true, 6, 0.5f, 2, 8, 0.03f, {}, {}},
    {9, true, 7, 0.41f, 2, 7.2f, 0.1f, {}, {}},
    {10, true, 7, 0.3f, 8, 4, 0.05f, {}, {}},
    {11, true, 7, 0.3f, 6, 4, 0.06f, {}, {}},
};

struct Run { // consecutive primitives of one kind
    ShapeOp kind;
    int primitives;
};

struct ShapeRow {
    std::vector<Run> runs;
    int colours;
    int palette;     // 0 clouds, 1 head, 2 body
    float extent[6]; // x min, max; y min, max; z min, max
};

const ShapeOp T = BeginTriangles, Q = BeginQuads;
const std::vector<Run> kCloud = {{T, 14}, {Q, 8}};
const ShapeRow kShapes[9] = {
    {},
    {kCloud, 50, 0, {-10, 9.3f, -3.5f, 0.6f, -0.2f, 0.2f}},
    {{{T, 12}, {Q, 8}}, 55, 0, {-7.1f, 7.4f, -2, 1.1f, -0.2f, 0.2f}},
    {kCloud, 54, 0, {-4.8f, 5.8f, -0.8f, 1.2f, -0.2f, 0.2f}},
    {kCloud, 54, 0, {-6, 4.6f, -1.1f, 0.9f, -0.2f, 0.2f}},
    {kCloud, 54, 0, {-3.6f, 7, -0.9f, 1.1f, -0.2f, 0.2f}},
    {{{Q, 33}, {T, 2}}, 75, 1, {-3.42f, 2.4f, -4.2f, 1.2f, -2.52f, 2.64f}},
    {{{Q, 26}}, 43, 2, {-2, 2, -5, 1.8f, -2, 2}},
    {{{T, 8}, {Q, 15}, {T, 10}}, 80, 2, {-2.5f, 7, -3.25f, 3.6f, -2, 2}},
};

typedef std::vector<float> Rgb;
const std::set<Rgb> kPalettes[3] = {
    {{0.75f, 0.87f, 0.94f}, {0.63f, 0.75f, 0.87f}, {0.56f, 0.65f, 0.75f}, {0.44f, 0.56f, 0.63f}},
    {{0.35f, 0.82f, 0.35f},
     {0, 0.53f, 0},
     {0, 0.44f, 0},
     {0.42f, 0.01f, 0},
     {0, 0.4f, 0},
     {0.82f, 0.25f, 0},
     {1, 0.75f, 0.1f},
     {1, 1, 0.15f}},
    {{0.35f, 0.82f, 0.35f},
     {0, 0.53f, 0},
     {0, 0.44f, 0},
     {0.42f, 0.01f, 0},
     {1, 0.31f, 0.31f},
     {1, 0, 0},
     {0.78f, 0, 0},
     {0.71f, 0, 0}},
};

struct ShapeStats {
    std::vector<Run> runs;
    int colours = 0, vertices = 0;
    bool completeGroups = true;
    std::set<Rgb> colourSet;
    float extent[6] = {1e9f, -1e9f, 1e9f, -1e9f, 1e9f, -1e9f};
};

ShapeStats Measure(const ShapeList& shape) {
    ShapeStats stats;
    ShapeOp group = End;
    int groupVertices = 0;
    for (uint32_t i = 0; i < shape.count; i++) {
        const ShapeCommand& c = shape[i];
        if (c.op == Color3) {
            stats.colours++;
            stats.colourSet.insert({c.values[0], c.values[1], c.values[2]});
        } else if (c.op == Vertex3) {
            stats.vertices++;
            groupVertices++;
            for (int axis = 0; axis < 3; axis++) {
                stats.extent[axis * 2] = fminf(stats.extent[axis * 2], c.values[axis]);
                stats.extent[axis * 2 + 1] = fmaxf(stats.extent[axis * 2 + 1], c.values[axis]);
            }
        } else if (c.op == BeginTriangles || c.op == BeginQuads) {
            group = c.op;
            groupVertices = 0;
        } else if (c.op == End) {
            int corners = group == BeginTriangles ? 3 : 4;
            stats.completeGroups &= group != End && groupVertices % corners == 0;
            if (!stats.runs.empty() && stats.runs.back().kind == group)
                stats.runs.back().primitives += groupVertices / corners;
            else
                stats.runs.push_back(Run{group, groupVertices / corners});
            group = End;
        } else {
            stats.completeGroups = false; // lines have no place in this figure
        }
    }
    stats.completeGroups &= group == End;
    return stats;
}

class BuiltinMobile : public CoreTest {
  protected:
    std::string text = BuiltinText();
};

} // namespace

TEST_F(BuiltinMobile, IsPlainAsciiWithCrLfLinesAndParsesWithoutAMessage) {
    ASSERT_GT(text.size(), 40000u);
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = (unsigned char)text[i];
        ASSERT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127)) << "byte " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
            lines++;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_GT(lines, 1500u);
    const std::string directive = "\r\nperspective: 45,3,90 lookat=22 timef=1 "
                                  "background=0.1,0.1,0.2  perimeter=52  "
                                  "thread=0.08,0.2,0.2,0.3 periodicity=0\r\n";
    EXPECT_NE(std::string::npos, text.find(directive));

    Parse(text);
    EXPECT_TRUE(Texts().empty()) << Texts()[0];
    EXPECT_FLOAT_EQ(45, mobile.fov);
    EXPECT_FLOAT_EQ(22, mobile.lookat);
    EXPECT_FLOAT_EQ(52, mobile.perimeter);
    EXPECT_FLOAT_EQ(0.08f, mobile.thread);
    EXPECT_FLOAT_EQ(0.3f, mobile.threadcolour[2]);
    EXPECT_FLOAT_EQ(0.2f, mobile.background[2]);
    EXPECT_FLOAT_EQ(0, mobile.periodicity);
}

TEST_F(BuiltinMobile, HasTheFiguresTreeOfElevenItems) {
    Parse(text);
    ASSERT_EQ(12u, mobile.items.count);
    EXPECT_FALSE(Item(0).defined);
    float totalMass = 0;
    for (const ItemRow& row : kItems) {
        SCOPED_TRACE(row.n);
        const MobileItem& item = Item(row.n);
        EXPECT_TRUE(item.defined);
        EXPECT_EQ(row.isend, (bool)item.isend);
        EXPECT_EQ(row.desc, item.desc);
        EXPECT_FLOAT_EQ(row.mass, item.mass);
        EXPECT_FLOAT_EQ(row.radius, item.radius);
        EXPECT_FLOAT_EQ(row.above, item.above);
        EXPECT_FLOAT_EQ(row.string, item.string);
        if (!row.isend) {
            EXPECT_FLOAT_EQ(row.left.x, item.left.x);
            EXPECT_FLOAT_EQ(row.left.y, item.left.y);
            EXPECT_EQ(row.left.item, item.left.item);
            EXPECT_FLOAT_EQ(row.right.x, item.right.x);
            EXPECT_FLOAT_EQ(row.right.y, item.right.y);
            EXPECT_EQ(row.right.item, item.right.item);
        }
        totalMass += row.mass;
    }
    EXPECT_NEAR(5.29, Item(1).totalmass, 1e-5);
    EXPECT_NEAR(5.29, totalMass, 1e-5);
}

TEST_F(BuiltinMobile, HasEightShapesWithTheirGroupsColoursAndExtents) {
    Parse(text);
    ASSERT_EQ(9u, mobile.shapes.count);
    EXPECT_EQ(0u, mobile.shapes[0].count);
    int vertices = 0, colours = 0;
    for (int d = 1; d <= 8; d++) {
        SCOPED_TRACE(d);
        ShapeStats stats = Measure(mobile.shapes[d]);
        const ShapeRow& row = kShapes[d];
        EXPECT_TRUE(stats.completeGroups);
        ASSERT_EQ(row.runs.size(), stats.runs.size());
        for (size_t r = 0; r < row.runs.size(); r++) {
            EXPECT_EQ(row.runs[r].kind, stats.runs[r].kind);
            EXPECT_EQ(row.runs[r].primitives, stats.runs[r].primitives);
        }
        EXPECT_EQ(row.colours, stats.colours);
        EXPECT_EQ(kPalettes[row.palette], stats.colourSet);
        for (int e = 0; e < 6; e++)
            EXPECT_NEAR(row.extent[e], stats.extent[e], 0.01) << "extent " << e;
        vertices += stats.vertices;
        colours += stats.colours;
    }
    EXPECT_EQ(720, vertices);
    EXPECT_EQ(465, colours);
}

TEST_F(BuiltinMobile, MovesWithTheFiguresFrequencies) {
    Parse(text, 5000);
    EXPECT_NEAR(0.0058725, Item(1).omega, 1e-7);
    EXPECT_FLOAT_EQ(0.70710677f, Item(8).omega);
    // At the start item 1 stands 1.9 half-periods into its swing
    // (t = 1016.43 scaled seconds): sin(1.9 pi) of its 831-degree amplitude.
    double amplitude = 5.29 * 3.14159274 / 0.02;
    EXPECT_NEAR(amplitude * sin(1.9 * kPi), Item(1).angle, 0.05);

    std::string periodic = text;
    size_t at = periodic.find("periodicity=0\r\n", periodic.find("\r\nperspective:"));
    ASSERT_NE(std::string::npos, at);
    periodic.replace(at, 13, "periodicity=300");
    Parse(periodic, 5000);
    EXPECT_TRUE(Texts().empty());
    EXPECT_NEAR(2 * kPi / 300, Item(1).omega, 1e-6);
    EXPECT_NEAR(0.71209437, Item(8).omega, 1e-7);
    // Start offset exactly 285: item 1's phase is 285 * 2 pi / 300 = 1.9 pi.
    EXPECT_NEAR(amplitude * sin(1.9 * kPi), Item(1).angle, 0.05);
}
