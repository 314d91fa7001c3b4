// Descriptions from files: the parser's messages as the checker prints them,
// a watched file rewritten under the running program, and files that are no
// description at all, huge, or rewritten while they are read.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "x11_harness.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

class Description : public ProgramOnPrivateDisplay {
  protected:
    void Start(const std::vector<std::string>& arguments) {
        std::vector<std::string> arguments90 = {"--longitude", "90"};
        arguments90.insert(arguments90.end(), arguments.begin(), arguments.end());
        ProgramOnPrivateDisplay::Start(arguments90);
        ASSERT_TRUE(PollUntil(30, [&] { return (window = FindProgramWindow(x.display)) != 0; }))
            << ReadErrors(program);
    }

    // Waits until the board shows in `colour` (a Census field).
    bool Shows(long Census::*colour, double seconds = 60) {
        Census census;
        return PollUntil(seconds, [&] {
            return TakeCensus(x.display, window, census) && census.Share(census.*colour) > 0.05;
        });
    }

    // Waits until the program has said `part` `times` times in all.
    bool Says(const std::string& part, size_t times = 1) {
        return PollUntil(30, [&] { return Count(ReadErrors(program), part) >= times; });
    }

    Window window = 0;
};

TEST_F(Description, MessagesAreTheCheckersLines) {
    std::string path = WriteFile("faulty.txt", Board("1,0,0") + "end 2: desc=1 mass=1\n" // 11
                                                                "sglfoo\n"               // 12
                                                                "wobble 3\n");           // 13
    Start({"--description", path});
    ASSERT_TRUE(Shows(&Census::red)) << ReadErrors(program);
    ASSERT_TRUE(Says(":13: "));

    // The checker's own lines for the same file, less its author warnings.
    FILE* pipe = popen((CheckerPath() + " " + path + " 2>/dev/null").c_str(), "r");
    std::string checked;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        checked.append(buffer, n);
    pclose(pipe);
    std::vector<std::string> expected;
    for (const std::string& line : Lines(checked)) {
        if (line.find(": warning: ") == std::string::npos)
            expected.push_back(line);
    }
    ASSERT_EQ(expected.size(), 3u) << checked;
    EXPECT_EQ(expected[0], path + ":11: Invalid end");
    EXPECT_EQ(Lines(ReadErrors(program)), expected);
}

// Unmapped, it draws nothing, but still reads the file when it changes.
TEST_F(Description, AWatchedFileIsReadWhileTheWindowIsUnmapped) {
    std::string path = WriteFile("unseen.txt", Board("1,0,0"));
    Start({"--description", path, "--watch"});
    ASSERT_TRUE(Shows(&Census::red));
    XUnmapWindow(x.display, window);
    XSync(x.display, False);
    WriteFile("unseen.txt", "this is no mobile\n");
    EXPECT_TRUE(Says(path + ":1: unrecognised mobile command")) << ReadErrors(program);
    WriteFile("unseen.txt", Board("0,0,1"));
    XMapWindow(x.display, window);
    XSync(x.display, False);
    EXPECT_TRUE(Shows(&Census::blue)) << ReadErrors(program);
}

TEST_F(Description, WatchedFileShowsEachGoodReadingAndKeepsTheLastOne) {
    std::string path = ScratchPath("watched.txt");
    unlink(path.c_str());
    Start({"--description", path, "--watch"});
    // Not there yet: said once, however often it is looked for.
    ASSERT_TRUE(Says("cannot read " + path + ": No such file or directory"));
    usleep(600000);
    EXPECT_EQ(Count(ReadErrors(program), "cannot read"), 1u);

    WriteFile("watched.txt", Board("1,0,0"));
    ASSERT_TRUE(Shows(&Census::red)) << ReadErrors(program);
    WriteFile("watched.txt", Board("0,0,1"));
    ASSERT_TRUE(Shows(&Census::blue)) << ReadErrors(program);

    // Broken: its messages, and the blue board stays.
    WriteFile("watched.txt", "this is no mobile\nend 2: desc=1\n");
    ASSERT_TRUE(Says(path + ":1: unrecognised mobile command"));
    ASSERT_TRUE(Says(path + ":2: Invalid end"));
    ASSERT_TRUE(Says(path + ": item1 undefined"));
    EXPECT_TRUE(Shows(&Census::blue, 1));

    // Gone: said, and the blue board stays.
    unlink(path.c_str());
    ASSERT_TRUE(Says("cannot read " + path + ": No such file or directory", 2));
    EXPECT_TRUE(Shows(&Census::blue, 1));

    // A good one again, with a message on its last line: shown, and said.
    WriteFile("watched.txt", Board("0,1,0") + "sglfoo\n");
    ASSERT_TRUE(Shows(&Census::green)) << ReadErrors(program);
    EXPECT_TRUE(Says(path + ":11: unrecognised sgl command"));
    EXPECT_TRUE(Running(program));
}

TEST_F(Description, HugeBinaryAndChangingFilesNeverStopIt) {
    std::string path = WriteFile("storm.txt", Board("1,0,0"));
    Start({"--description", path, "--watch"});
    ASSERT_TRUE(Shows(&Census::red));

    // Huge: a sparse file far beyond the limit, refused without reading it.
    ASSERT_EQ(truncate(path.c_str(), 3LL << 30), 0);
    ASSERT_TRUE(Says("cannot read " + path + ": too large"));
    EXPECT_TRUE(Shows(&Census::red, 1));

    // Binary: every byte value, NULs and line ends among them.
    std::string noise;
    unsigned seed = 12345;
    for (int i = 0; i < 300000; i++) {
        seed = seed * 1103515245u + 12345u;
        noise.push_back((char)(seed >> 16));
    }
    WriteFile("storm.txt", noise);
    ASSERT_TRUE(Says(path + ": item1 undefined"));
    EXPECT_TRUE(Shows(&Census::red, 1));

    // Rewritten in place, truncated and filled a piece at a time, over and
    // over, while the program reads it.
    pid_t writer = fork();
    if (writer == 0) {
        std::string good = Board("0,0,1");
        for (int round = 0; round < 300; round++) {
            FILE* file = fopen(path.c_str(), "wb");
            for (size_t at = 0; at < good.size(); at += 7) {
                fwrite(good.data() + at, 1, std::min<size_t>(7, good.size() - at), file);
                fflush(file);
                usleep(100);
            }
            fclose(file);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_TRUE(PollUntil(120, [&] { return waitpid(writer, &status, WNOHANG) == writer; }))
        << "the writer did not finish";
    EXPECT_TRUE(Running(program));
    // Once it holds still, the file is read whole.
    ASSERT_TRUE(Shows(&Census::blue)) << ReadErrors(program);
    EXPECT_TRUE(Running(program));
}

} // namespace
