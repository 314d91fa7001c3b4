// Descriptions from files: the parser's messages as the checker prints them,
// a watched file rewritten under the running program, and files that are no
// description at all, huge, or rewritten while they are read.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/syscall.h>
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
        return PollUntil(60, [&] { return Count(ReadErrors(program), part) >= times; });
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

    // The checker's own lines for the same file, its author warnings too.
    FILE* pipe = popen((CheckerPath() + " " + path + " 2>/dev/null").c_str(), "r");
    std::string checked;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        checked.append(buffer, n);
    pclose(pipe);
    std::vector<std::string> expected = Lines(checked);
    ASSERT_GT(expected.size(), 3u) << checked;
    EXPECT_EQ(expected[0], path + ":11: Invalid end");
    EXPECT_NE(expected.back().find(": warning: "), std::string::npos) << checked;
    EXPECT_EQ(Lines(ReadErrors(program)), expected); // all said before the first frame
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
    ASSERT_TRUE(Says(" more messages)")); // item 1 undefined among them
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

// A file at the limit made only of bad lines: the first messages, then one
// line with the count of the rest, for every reading; its memory bounded,
// and a stop honoured while it parses (held up writing its messages to a
// standard error nobody reads).
TEST_F(Description, AFileOfBadLinesAtTheLimitIsSaidInPartAndStaysBounded) {
    const long kPeakKilobytes = 300 << 10;
    const std::string bad = "wobble 12345678901234567890 x\n";
    const size_t lines = (64u << 20) / bad.size();
    std::string text;
    text.reserve(lines * bad.size());
    for (size_t i = 0; i < lines; i++)
        text += bad;
    std::string path = WriteFile("bad-lines.txt", text);
    text = std::string();

    int pipe[2];
    ASSERT_EQ(pipe2(pipe, O_CLOEXEC), 0);
    fcntl(pipe[1], F_SETPIPE_SZ, 4096);
    program = StartProcess({ProgramPath(), "--root", "--description", path}, x.name, {}, pipe[1]);
    ASSERT_TRUE(PollUntil(60, [&] { return InSystemCall(program.pid, SYS_write); }));
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 60), 0);
    EXPECT_LT(program.peakKilobytes, kPeakKilobytes);
    close(pipe[0]);
    close(pipe[1]);

    // Every bad line, and item 1 undefined at the end.
    auto more = [&](size_t messages) {
        return path + ": (" + std::to_string(messages - 1000) + " more messages)";
    };
    Start({"--description", path, "--watch"});
    ASSERT_TRUE(Says(more(lines + 1))) << ReadErrors(program).size();
    std::vector<std::string> said = Lines(ReadErrors(program));
    ASSERT_EQ(said.size(), 1001u);
    EXPECT_EQ(said[0], path + ":1: unrecognised mobile command");
    EXPECT_EQ(said[999], path + ":1000: unrecognised mobile command");
    EXPECT_EQ(said[1000], more(lines + 1));
    std::string smaller;
    for (int i = 0; i < 1200; i++)
        smaller += bad;
    WriteFile("bad-lines.txt", smaller);
    EXPECT_TRUE(Says(more(1201))) << ReadErrors(program).substr(0, 300);
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 60), 0);
    EXPECT_LT(program.peakKilobytes, kPeakKilobytes);
}

// Forty levels each hanging the next from both arms, the last numbered
// 199999: each frame draws what the core's budget allows, and the hack
// says so once, however many frames it draws.
TEST_F(Description, AMobileTooCostlyToDrawWholeIsSaidOnce) {
    std::string text = Board("1,0,0"); // its item 1 replaced by the first branch
    for (int n = 1; n <= 40; n++) {
        std::string child = n == 40 ? "199999" : std::to_string(n + 1);
        text += "branch " + std::to_string(n) + ": desc=1 mass=1 radius=1 above=1 string=1 ";
        text.append("left=1,0,").append(child).append(" right=-1,0,").append(child) += "\n";
    }
    text += "end 199999: desc=1 mass=1 radius=1 above=1 string=1\n";
    Start({"--description", WriteFile("shared.txt", text)});
    ASSERT_TRUE(Says("too much to draw")) << ReadErrors(program);
    ASSERT_TRUE(Shows(&Census::red)) << ReadErrors(program); // what fits is drawn
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 60), 0);
    EXPECT_EQ(Count(ReadErrors(program), "too much to draw"), 1u) << ReadErrors(program);
}

} // namespace
