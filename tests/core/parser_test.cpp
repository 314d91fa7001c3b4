// The description format as the parser reads it: lines, comments, the scan's
// quirks, items, desc blocks and shape commands, and every message.
#include "core_test.h"

#include <stdio.h>
#include <string.h>

#include "mobile/parser.h"

static const char kBuiltinPerspective[] =
    "perspective: 45,3,90 lookat=22 timef=1 background=0.1,0.1,0.2  perimeter=52  "
    "thread=0.08,0.2,0.2,0.3 periodicity=0\r\n";

TEST_F(CoreTest, WithoutPerspectiveEverySettingKeepsItsDefault) {
    Parse(EndLine(1));
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_FLOAT_EQ(mobile.fov, 45);
    EXPECT_FLOAT_EQ(mobile.znear, 3);
    EXPECT_FLOAT_EQ(mobile.zfar, 90);
    EXPECT_FLOAT_EQ(mobile.lookat, 0);
    for (float c : mobile.background)
        EXPECT_FLOAT_EQ(c, 0);
    EXPECT_FLOAT_EQ(mobile.timef, 1);
    EXPECT_FLOAT_EQ(mobile.perimeter, 30);
    EXPECT_FLOAT_EQ(mobile.thread, 0.1f);
    EXPECT_FLOAT_EQ(mobile.periodicity, 300);
    EXPECT_EQ(mobile.hasThreadcolour, 0);
    EXPECT_EQ(mobile.starttick, 1000u);
}

TEST_F(CoreTest, PerspectiveFillsEveryFieldInItsOwnOrder) {
    Parse(kBuiltinPerspective + EndLine(1));
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_FLOAT_EQ(mobile.fov, 45);
    EXPECT_FLOAT_EQ(mobile.znear, 3);
    EXPECT_FLOAT_EQ(mobile.zfar, 90);
    EXPECT_FLOAT_EQ(mobile.lookat, 22);
    EXPECT_FLOAT_EQ(mobile.timef, 1);
    EXPECT_FLOAT_EQ(mobile.background[0], 0.1f);
    EXPECT_FLOAT_EQ(mobile.background[1], 0.1f);
    EXPECT_FLOAT_EQ(mobile.background[2], 0.2f);
    EXPECT_FLOAT_EQ(mobile.perimeter, 52);
    EXPECT_FLOAT_EQ(mobile.thread, 0.08f);
    EXPECT_EQ(mobile.hasThreadcolour, 1);
    EXPECT_FLOAT_EQ(mobile.threadcolour[0], 0.2f);
    EXPECT_FLOAT_EQ(mobile.threadcolour[1], 0.2f);
    EXPECT_FLOAT_EQ(mobile.threadcolour[2], 0.3f);
    EXPECT_FLOAT_EQ(mobile.periodicity, 0);
}

TEST_F(CoreTest, ShortPerspectiveKeepsWhatItReadAndDefaultsTheRest) {
    Parse("perspective: 10,1,50 lookat=7 timef 2\n" + EndLine(1));
    EXPECT_EQ(Texts(), Lines{"Invalid perspective"});
    EXPECT_FLOAT_EQ(mobile.fov, 10);
    EXPECT_FLOAT_EQ(mobile.znear, 1);
    EXPECT_FLOAT_EQ(mobile.zfar, 50);
    EXPECT_FLOAT_EQ(mobile.lookat, 7);
    EXPECT_FLOAT_EQ(mobile.timef, 1);
    EXPECT_FLOAT_EQ(mobile.perimeter, 30);
    EXPECT_EQ(mobile.hasThreadcolour, 0);

    // A second line overwrites only what it reads; one component of the
    // thread colour is enough to give the strings a colour.
    Parse(std::string(kBuiltinPerspective) +
          "perspective: 1,2,3 lookat=4 timef=5 "
          "background=6,7,8 perimeter=9 thread=10,0.5\n" +
          EndLine(1));
    EXPECT_EQ(Texts(), Lines{"Invalid perspective"});
    EXPECT_FLOAT_EQ(mobile.timef, 5);
    EXPECT_FLOAT_EQ(mobile.background[0], 6);
    EXPECT_FLOAT_EQ(mobile.threadcolour[0], 0.5f);
    EXPECT_FLOAT_EQ(mobile.threadcolour[1], 0.2f);
    EXPECT_FLOAT_EQ(mobile.periodicity, 0);
}

// Each line kind's message, reported once and blamed on its own line; the
// end-of-text message on no line.
TEST_F(CoreTest, EveryMessageHasItsFixedTextAndLine) {
    Parse("perspective: 1\n"
          "branch 1: desc=1\n"
          "end 2: desc=1 mass=1\n"
          "desc 1: offset=1\n"
          "sglColor3(1,2)\n"
          "sglBegin(GL_POINTS)\n"
          "sglVertex3(x)\n"
          "sglNormal3(0,0,1)\n"
          "frobnicate\n"
          "desc 2: offset=1,1\n");
    ASSERT_EQ(
        Texts(),
        (Lines{"Invalid perspective", "Invalid branch", "Invalid end", "invalid desc prefix",
               "invalid color3", "sglBegin not TRIANGLES, QUADS or LINES", "invalid Vertex3",
               "unrecognised sgl command", "unrecognised mobile command", "invalid desc prefix"}));
    for (size_t i = 0; i < messages.size(); i++)
        EXPECT_EQ(messages[i].line, i + 1) << messages[i].text;

    Parse("sglEnd()\n\nend 2: desc=0 mass=1 radius=1 above=1 string=1");
    ASSERT_EQ(Texts(), (Lines{"found an orphan sgl command", "item1 undefined"}));
    EXPECT_EQ(messages[0].line, 1u);
    EXPECT_EQ(messages[1].line, 0u);
}

TEST_F(CoreTest, EmptyTextRunsOnlyTheEndSteps) {
    Parse("");
    EXPECT_EQ(Texts(), Lines{"item1 undefined"});
    EXPECT_EQ(mobile.items.count, 0u);
    EXPECT_EQ(mobile.shapes.count, 0u);
    EXPECT_EQ(mobile.starttick, 1000u);
}

TEST_F(CoreTest, LineEndsCountAlike) {
    const char* lines[] = {"end 1: desc=3 mass=1 radius=1 above=1 string=1", "bad",
                           "end 2: desc=4 mass=1 radius=1 above=1 string=1"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        for (bool last : {false, true}) {
            std::string text = std::string(lines[0]) + end + lines[1] + end + lines[2];
            if (last)
                text += end;
            Parse(text);
            ASSERT_EQ(messages.size(), 1u) << "line end " << (int)end[0];
            EXPECT_EQ(messages[0].line, 2u);
            ASSERT_EQ(mobile.items.count, 3u);
            EXPECT_EQ(Item(2).desc, 4);
        }
    }
    // LF CR is two line ends with an empty line between: the bad line is 3rd.
    Parse("end 1: desc=0 mass=1 radius=1 above=1 string=1\n\rbad\r\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].line, 3u);
}

TEST_F(CoreTest, CommentsBlanksAndTabs) {
    Parse(EndLine(1) + "      \n   // only a comment\n//\n"
                       "end 2: desc=1 mass=1 radius=1 above=1 string=1           // 2\n"
                       "end 3: desc=1 mass=1 radius=1 above=1 string=1//x\n");
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_TRUE(Item(3).defined);
    // A tab is no blank, even before a comment or a good line.
    Parse(EndLine(1) + "\t// comment\n\tend 2: desc=1 mass=1 radius=1 above=1 string=1\n");
    EXPECT_EQ(Texts(), (Lines{"unrecognised mobile command", "unrecognised mobile command"}));
    EXPECT_EQ(mobile.items.count, 2u);
    // Two slashes always cut, even inside a number list.
    Parse("end 1: desc=0 mass=1 radius=1 above=1 //string=1\n");
    EXPECT_EQ(Texts(), Lines{"Invalid end"});
}

TEST_F(CoreTest, KindIsChosenByPrefixInOrder) {
    Parse(EndLine(1) + "endless 2: desc=0\nBranch 3: desc=0\nperspectives: 1,2,3\n"
                       "descant\nsglx\n");
    EXPECT_EQ(Texts(), (Lines{"Invalid end", "unrecognised mobile command", "Invalid perspective",
                              "invalid desc prefix", "found an orphan sgl command",
                              "unrecognised sgl command"}));
}

TEST_F(CoreTest, NulEndsTheLineTextAndHighBytesAreNotBlanks) {
    std::string text = EndLine(1);
    text += std::string("end 2: desc=0 mass=1 radius=1\0 above=1 string=1\n", 48);
    text += std::string("// \xff\xfe comment \x80\n");
    text += std::string("\xa0"
                        "end 3: desc=0 mass=1 radius=1 above=1 string=1\n");
    text += std::string("\0end 4: whatever\n", 17);
    text += EndLine(5);
    Parse(text);
    EXPECT_EQ(Texts(), (Lines{"Invalid end", "unrecognised mobile command"}));
    EXPECT_EQ(messages[0].line, 2u);
    ASSERT_EQ(mobile.items.count, 6u);
    EXPECT_TRUE(Item(2).defined);
    EXPECT_FALSE(Item(3).defined);
    EXPECT_FALSE(Item(4).defined);
    EXPECT_TRUE(Item(5).defined);
}

TEST_F(CoreTest, ScanQuirksOfItemNumbersAndBlanks) {
    // Octal and hex numbers, blanks before numbers, blanks dropped or doubled
    // where the format has one.
    Parse(EndLine(1) + "end 010: desc=0x10 mass=  2 radius=1 above=1 string=1\n"
                       "branch    3:desc= 2   mass=1radius=1 above=1 string=1 "
                       "left= -1, -2, 4 right=1,2,  5\n");
    EXPECT_EQ(Texts(), Lines{});
    ASSERT_EQ(mobile.items.count, 9u);
    EXPECT_TRUE(Item(8).defined);
    EXPECT_EQ(Item(8).desc, 16);
    EXPECT_FLOAT_EQ(Item(8).mass, 2);
    EXPECT_EQ(Item(3).right.item, 5);
    EXPECT_FLOAT_EQ(Item(3).left.y, -2);

    // A blank before a literal stops the scan; what was read stays.
    Parse(EndLine(1) + "end 2: desc=3 mass =4 radius=1 above=1 string=1\n"
                       "end 3: desc=3 mass=4 radius=1 above=1 string=1 extra words\n");
    EXPECT_EQ(Texts(), Lines{"Invalid end"});
    EXPECT_EQ(Item(2).desc, 3);
    EXPECT_FLOAT_EQ(Item(2).mass, 0);
    EXPECT_TRUE(Item(3).defined);
}

TEST_F(CoreTest, ItemLinesStoreReplaceAndLeaveGaps) {
    Parse("branch 5: desc=1 mass=1 radius=1 above=1 string=1 left=1,2,1 right=3,4,2\n" +
          EndLine(1) + EndLine(2, 3) + "end 2: desc=7 mass=9 radius=1 above=1 string=1\n");
    ASSERT_EQ(mobile.items.count, 6u);
    for (int n : {0, 3, 4})
        EXPECT_FALSE(Item(n).defined) << n;
    EXPECT_EQ(Item(2).desc, 7);
    EXPECT_FLOAT_EQ(Item(2).mass, 9);
    EXPECT_FALSE(Item(5).isend);
    EXPECT_TRUE(Item(1).isend);

    // A short line is stored all the same; what it lacks names nothing.
    Parse(EndLine(1) + "end 1: desc=0 mass=1 radius=1 above=1 string=1\n"
                       "branch 1: desc=2 mass=3\n");
    EXPECT_EQ(Texts(), Lines{"Invalid branch"});
    EXPECT_TRUE(Item(1).defined);
    EXPECT_FALSE(Item(1).isend);
    EXPECT_EQ(Item(1).desc, 2);
    EXPECT_FLOAT_EQ(Item(1).radius, 0);
    EXPECT_EQ(Item(1).left.item, -1);
    EXPECT_EQ(Item(1).right.item, -1);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 3);
}

static std::vector<float> Vertices(const ShapeList& list) {
    std::vector<float> values;
    for (uint32_t i = 0; i < list.count; i++)
        if (list[i].op == Vertex3)
            values.insert(values.end(), list[i].values, list[i].values + 3);
    return values;
}

TEST_F(CoreTest, DescOffsetAndScaleApplyToVertices) {
    Parse(EndLine(1) + "desc 1: offset=10,3.5,0 scale=1\nsglVertex3(0,0,0);\n"
                       "desc 2: offset=1,1,1 scale=2\nsglVertex3(2,3,4);\n"
                       "desc 3\nsglVertex3(2,3,4);\n"
                       "desc 4: scale=3\nsglVertex3(2,3,4);\n");
    EXPECT_EQ(Texts(), Lines{});
    ASSERT_EQ(mobile.shapes.count, 5u);
    EXPECT_EQ(mobile.shapes[0].count, 0u);
    EXPECT_EQ(Vertices(mobile.shapes[1]), (std::vector<float>{-10, -3.5f, 0}));
    EXPECT_EQ(Vertices(mobile.shapes[2]), (std::vector<float>{2, 4, 6}));
    EXPECT_EQ(Vertices(mobile.shapes[3]), (std::vector<float>{2, 3, 4}));
    EXPECT_EQ(Vertices(mobile.shapes[4]), (std::vector<float>{2, 3, 4}));

    // With the offset but no scale: reported, and the offset holds.
    Parse(EndLine(1) + "desc 1: offset=1,1,1 scael=2\nsglVertex3(2,3,4);\n");
    EXPECT_EQ(Texts(), Lines{"invalid desc prefix"});
    EXPECT_EQ(Vertices(mobile.shapes[1]), (std::vector<float>{1, 2, 3}));
}

TEST_F(CoreTest, LaterDescBlockReplacesTheEarlierWhenItCloses) {
    Mobile target = {};
    DescriptionParser parser;
    StartDescription(parser, target);
    const char* lines[] = {"desc 1", "sglEnd", "sglEnd", "desc 1", "sglVertex3(1,2,3)"};
    uint32_t number = 0;
    for (const char* line : lines) {
        char buffer[64];
        snprintf(buffer, sizeof buffer, "%s", line);
        ParseDescriptionLine(parser, buffer, ++number);
    }
    // The second block is still open: the table holds the first one's list.
    ASSERT_EQ(target.shapes.count, 2u);
    EXPECT_EQ(target.shapes[1].count, 2u);
    FinishDescription(parser);
    ASSERT_EQ(target.shapes[1].count, 1u);
    EXPECT_EQ(target.shapes[1][0].op, Vertex3);
    FreeMobile(target);
}

static std::vector<int> Ops(const ShapeList& list) {
    std::vector<int> ops;
    for (uint32_t i = 0; i < list.count; i++)
        ops.push_back(list[i].op);
    return ops;
}

TEST_F(CoreTest, ShapeCommandsAreTakenApartByCharacters) {
    Parse(EndLine(1) + "desc 0\n"
                       "sglBegin(GL_TRIANGLES);\nsglBegin(GL_QUADS)\nsglBegin(GL_LINES);junk\n"
                       "sglColor3(0.5, 0.25,1);\n"
                       "sglVertex3(1,2,3) ; // 1\n"
                       "sglEnd();\nsglEnd\nsglEnd(ignored)\n");
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_EQ(Ops(mobile.shapes[0]), (std::vector<int>{BeginTriangles, BeginQuads, BeginLines,
                                                       Color3, Vertex3, End, End, End}));
    const float* colour = mobile.shapes[0][3].values;
    EXPECT_FLOAT_EQ(colour[1], 0.25f);
    EXPECT_FLOAT_EQ(colour[2], 1);

    // Faulty commands: which are recorded, and with what.
    Parse(EndLine(1) + "desc 0\n"
                       "sglEnd;\nsglEnd \nsglBegin (GL_QUADS);\nsglBegin( GL_QUADS);\n"
                       "sglVertex3(1 ,2,3);\nsglColor3(1,1);\nsglVertex3(4,5,6\n"
                       "sglFoo();\nsgl\n");
    EXPECT_EQ(Texts(), (Lines{"unrecognised sgl command", "unrecognised sgl command",
                              "unrecognised sgl command", "sglBegin not TRIANGLES, QUADS or LINES",
                              "invalid Vertex3", "invalid color3", "unrecognised sgl command",
                              "unrecognised sgl command"}));
    ASSERT_EQ(Ops(mobile.shapes[0]), (std::vector<int>{Vertex3, Color3, Vertex3}));
    EXPECT_EQ(Vertices(mobile.shapes[0]), (std::vector<float>{1, 0, 0, 4, 5, 6}));
    EXPECT_FLOAT_EQ(mobile.shapes[0][1].values[1], 1);
    EXPECT_FLOAT_EQ(mobile.shapes[0][1].values[2], 0);
}

TEST_F(CoreTest, OrphanCommandsReachNoShape) {
    Parse(EndLine(1) + "sglVertex3(1,2,3);\nsglColor3(1);\ndesc 2\nsglEnd();\n");
    EXPECT_EQ(Texts(), (Lines{"found an orphan sgl command", "found an orphan sgl command",
                              "invalid color3"}));
    EXPECT_EQ(messages[1].line, messages[2].line);
    ASSERT_EQ(mobile.shapes.count, 3u);
    EXPECT_EQ(mobile.shapes[0].count + mobile.shapes[1].count, 0u);
    EXPECT_EQ(Ops(mobile.shapes[2]), (std::vector<int>{End}));
}
