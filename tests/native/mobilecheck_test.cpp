// The author's tools driven as real processes on real files.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

struct Result {
    int status;
    std::string out;
};

static std::string Write(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + name;
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    return path;
}

// Runs a tool; `stream` 1 keeps its standard output, 2 its errors. One that
// blocks is killed after a minute, failing with status 137 rather than
// hanging the test.
static Result RunTool(const char* program, const std::string& arguments, int stream) {
    std::string command = std::string("timeout -s KILL 60 ") + program + " " + arguments +
                          (stream == 1 ? " 2>/dev/null" : " 2>&1 >/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    Result run;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, read);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

static Result Check(const std::string& arguments, int stream = 1) {
    return RunTool(MOBILECHECK, arguments, stream);
}

TEST(MobileCheck, CleanDescriptionSaysNothing) {
    std::string path = Write("clean.txt", "branch 1: desc=1 mass=1 radius=1 above=1 string=1 "
                                          "left=-1,-1,2 right=1,-1,3\r\n"
                                          "end 2: desc=1 mass=1 radius=1 above=1 string=1\r\n"
                                          "end 3: desc=1 mass=1 radius=1 above=1 string=1\r\n"
                                          "desc 1\r\nsglBegin(GL_LINES);\r\nsglVertex3(0,0,0);\r\n"
                                          "sglVertex3(0,-1,0);\r\nsglEnd();\r\n");
    Result run = Check(path);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 0);
}

TEST(MobileCheck, MessagesInOrderThenWarningsByLine) {
    std::string path = Write("faulty.txt", "branch 1: desc=1 mass=2 radius=1 above=5 string=1 "
                                           "left=-3,-1,2 right=3,-1,3\n" // 1
                                           "branch 2: desc=9 mass=1 radius=1 above=1 string=1 "
                                           "left=1,0,1 right=1,0,7\n" // 2
                                           "end 3: desc=1 mass=1 radius=1 above=1 string=1\n"
                                           "end 4: desc=1 mass=1 radius=1 above=1 string=1\n"
                                           "end 5: desc=1 mass=1\n" // 5
                                           "branch 4: desc=1 mass=1 radius=1 above=1 string=1 "
                                           "left=1,0,0 right=1,0,-1\n" // 6
                                           "desc 1\n"
                                           "sglBegin(GL_TRIANGLES);\n" // 8
                                           "sglVertex3(0,0,0);\nsglVertex3(1,0,0);\n"
                                           "sglEnd();\nsglEnd();\n"                     // 12
                                           "sglBegin(GL_QUADS);\nsglBegin(GL_LINES);\n" // 14
                                           "sglfoo\n");
    Result run = Check(path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, path + ":5: Invalid end\n" + path + ":15: unrecognised sgl command\n" +
                           path + ":2: warning: item 2: right child 7 is outside the item table\n" +
                           path + ":2: warning: item 2: left child 1 closes a cycle\n" + path +
                           ":2: warning: item 2: desc 9 names no shape\n" + path +
                           ":5: warning: item 5 is not reachable from item 1\n" + path +
                           ":6: warning: item 4: left child 0 is not defined\n" + path +
                           ":6: warning: item 4: right child -1 is outside the item table\n" +
                           path + ":6: warning: item 4 is not reachable from item 1\n" + path +
                           ":8: warning: group of triangles has 2 vertices, not a multiple of 3\n" +
                           path + ":12: warning: sglEnd without sglBegin\n" + path +
                           ":14: warning: sglBegin inside a group that has no sglEnd yet\n" + path +
                           ":14: warning: sglBegin without sglEnd\n");
}

TEST(MobileCheck, EndOfTextMessageHasNoLineAndUnreadableFilesFail) {
    std::string path = Write("noroot.txt", "end 2: desc=0 mass=1 radius=1 above=1 string=1");
    Result run = Check(path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), path + ": item1 undefined\n");

    EXPECT_EQ(Check(testing::TempDir() + "no such file").status, 2);
    EXPECT_EQ(Check(testing::TempDir()).status, 2);
}

TEST(MobileCheck, DumpDescribesTheParsedMobile) {
    std::string path = Write("dump.txt", "end 1: desc=1 mass=2 radius=1 above=5 string=0\n"
                                         "desc 1: offset=1,1,1 scale=2\n"
                                         "sglColor3(1,0.5,0);\nsglBegin(GL_QUADS);\n"
                                         "sglVertex3(2,3,4);\nsglEnd();\n"
                                         "desc 3\n");
    Result run = Check("--dump " + path);
    EXPECT_EQ(run.status, 1); // the quad group is incomplete
    const char* expected =
        "{\"fov\":45,\"znear\":3,\"zfar\":90,\"lookat\":0,\"background\":[0,0,0],\"timef\":1,"
        "\"perimeter\":30,\"thread\":0.100000001,\"threadcolour\":null,\"periodicity\":300,\n"
        "\"items\":[\nnull,\n"
        "{\"isend\":true,\"desc\":1,\"mass\":2,\"radius\":1,\"above\":5,\"string\":0,"
        "\"left\":[0,0,-1],\"right\":[0,0,-1],\"totalmass\":2,\"omega\":0.712094367,"
        "\"angle\":\"-inf\"}],\n"
        "\"shapes\":[\n[],\n"
        "[[\"Color3\",1,0.5,0],[\"BeginQuads\"],[\"Vertex3\",2,4,6],[\"End\"]],\n[],\n[]]}\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(Check("--dump " + path, 2).out,
              path + ":4: warning: group of quads has 1 vertices, not a multiple of 4\n");
}

TEST(MobileCheck, DumpAtGivesTheAngleThatManyMillisecondsLater) {
    std::string path = Write("at.txt", "perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 "
                                       "perimeter=30 thread=0.1,1,1,1 periodicity=0\n"
                                       "end 1: desc=0 mass=2 radius=1 above=5 string=1\n");
    auto angle = [&](const char* at) {
        std::string out = Check(std::string("--dump ") + at + path).out;
        size_t key = out.find("\"angle\":");
        return key == std::string::npos ? 999.0 : atof(out.c_str() + key + 8);
    };
    EXPECT_NEAR(angle(""), -1.9416, 1e-4);
    EXPECT_NEAR(angle("--at 0 "), -1.9416, 1e-4);
    EXPECT_NEAR(angle("--at 2500 "), sin((2.5 + 8.4415) * 0.70710677) * 2 * 3.14159274, 2e-3);
}

TEST(MobileCheck, StatsCountShapesAndSwings) {
    std::string path =
        Write("stats.txt", "perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 "
                           "perimeter=30 thread=0.1,1,1,1 periodicity=0\n"
                           "branch 1: desc=2 mass=1 radius=1 above=1 string=1 "
                           "left=-1,-1,2 right=1,-1,2\n"
                           "end 2: desc=2 mass=0.5 radius=2 above=1 string=0.5\n"
                           "desc 2\nsglBegin(GL_TRIANGLES);\nsglColor3(1,1,1);\n"
                           "sglVertex3(0,0,0);\nsglVertex3(1,-2,0);\nsglVertex3(-1,-2,3);\n"
                           "sglEnd();\n");
    Result run = Check("--stats " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "items: 2 defined (1 branches, 1 ends) in a table of 3, 2 reachable from item 1\n"
              "shapes: 1 desc blocks in a table of 3\n"
              "desc 2: 1 groups (1 of triangles, 0 of quads, 0 of lines), 3 vertices, 1 colours, "
              "extent x -1 to 1; y -2 to 0; z 0 to 3\n"
              "total: 3 vertices, 1 colours, mass 1.5 (2 hanging from the top)\n"
              "item 1: period 8.88577 s, amplitude 6.28319 degrees\n"
              "item 2: period 8.88577 s, amplitude 3.14159 degrees\n");
}

TEST(MobileCheck, NamesNumbersThatAreNotFiniteOrDoNotFit) {
    std::string path =
        Write("nonfinite.txt", "perspective: 45,3,nan lookat=0 timef=1 background=0,0,0 "
                               "perimeter=30 thread=0.1,1,1,1 periodicity=0\n"
                               "end 1: desc=1 mass=1e39 radius=1 above=1 string=1\n"
                               "end 4294967297: desc=1 mass=1 radius=1 above=1 string=1\n"
                               "desc 1\nsglBegin(GL_LINES)\nsglVertex3(nan,0,0)\n"
                               "sglVertex3(0,-nan,0)\nsglEnd()\n");
    Result run = Check("--stats " + path, 2);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, path + ":3: Invalid end\n" + path +
                           ":1: warning: perspective: zfar is not a finite number\n" + path +
                           ":2: warning: item 1: mass is not a finite number\n" + path +
                           ":6: warning: desc 1: sglVertex3 gives a number that is not finite\n" +
                           path +
                           ":7: warning: desc 1: sglVertex3 gives a number that is not finite\n");
    // No extent can be given of vertices that are nowhere.
    EXPECT_NE(Check("--stats " + path).out.find("2 vertices, 0 colours\n"), std::string::npos);
}

// A pipe or a device in place of a description never blocks the snapshot
// tool nor fills its memory: one line, status 1.
TEST(MobileSnap, RefusesWhatIsNoRegularFileInOneLine) {
    std::string fifo = testing::TempDir() + "fifo.txt";
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        Result run = RunTool(MOBILESNAP, "-o " + testing::TempDir() + "snap.png " + path, 2);
        EXPECT_EQ(run.status, 1) << path;
        EXPECT_EQ(run.out, "mobilesnap: cannot read " + path + ": not a regular file\n");
    }
    unlink(fifo.c_str());
}
