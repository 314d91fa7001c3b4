// The debug trace in each of its three build variants: this program is built
// once per destination (TRACE_VARIANT says which).
#include <windows.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "host/saver_host.h"
#include "host/trace.h"
#include "mobile/parser.h"
#include "tests/robot/robot.h"

namespace {

std::vector<std::string> debugOutput;

// Under Wine every OutputDebugStringA passes through here as an exception.
LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info) {
    EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    debugOutput.push_back(std::string((const char*)record->ExceptionInformation[1],
                                      (size_t)record->ExceptionInformation[0] - 1));
    return EXCEPTION_CONTINUE_EXECUTION;
}

struct TraceTest : testing::Test {
    PVOID handler = nullptr;
    void SetUp() override {
        debugOutput.clear();
        handler = AddVectoredExceptionHandler(1, CatchDebugOutput);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(handler); }
};

} // namespace

#if TRACE_VARIANT == 0
TEST_F(TraceTest, TheShippedBuildTracesNowhereAndIsNotInDebugMode) {
    EXPECT_STREQ("", traceDestination);
    EXPECT_FALSE(host.debugMode);
    DeleteFileA("trace_test_none.log");
    Trace("WM_CREATE");
    EXPECT_TRUE(debugOutput.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("trace_test_none.log"));
}

// The parser's messages reach the debug output all the same, CR LF in the same call.
TEST_F(TraceTest, TheParsersMessagesReachTheDebugOutputWithTheTraceOff) {
    Mobile mobile = {};
    const char text[] = "frobnicate\nend 2: desc=0 mass=1 radius=1 above=1 string=1\n";
    ParseMobileDescription(mobile, text, sizeof text - 1);
    FreeMobile(mobile);
    EXPECT_EQ(std::vector<std::string>({"unrecognised mobile command\r\n", "item1 undefined\r\n"}),
              debugOutput);
}
#elif TRACE_VARIANT == 1
TEST_F(TraceTest, TheDebuggerVariantSendsEachLineWithCrLfInOneCall) {
    EXPECT_STREQ("OutputDebugString", traceDestination);
    EXPECT_TRUE(host.debugMode);
    Trace("WM_CREATE");
    Trace("WM_DESTROY.");
    std::string longLine(1000, 'x'); // past any buffer on the stack
    Trace(longLine.c_str());
    EXPECT_EQ(std::vector<std::string>({"WM_CREATE\r\n", "WM_DESTROY.\r\n", longLine + "\r\n"}),
              debugOutput);
}
#else
TEST_F(TraceTest, TheFileVariantAppendsLinesInOrderKeepingWhatWasThere) {
    EXPECT_STREQ("trace_test.log", traceDestination);
    EXPECT_TRUE(host.debugMode);
    FILE* file = fopen("trace_test.log", "wb");
    fputs("earlier line\r\n", file);
    fclose(file);
    Trace("WM_CREATE");
    Trace("WM_CLOSE: maybe we need a password");
    EXPECT_EQ("earlier line\r\nWM_CREATE\r\nWM_CLOSE: maybe we need a password\r\n",
              robot::FileBytes("trace_test.log"));
    EXPECT_TRUE(debugOutput.empty());
    DeleteFileA("trace_test.log");
}
#endif

TEST_F(TraceTest, LastErrorTextIsTheSystemsMessage) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    char buffer[256];
    std::string text = LastErrorText(buffer, sizeof buffer);
    EXPECT_NE(std::string::npos, text.find("ile")) << "[" << text << "]";
    EXPECT_EQ(buffer, LastErrorText(buffer, sizeof buffer)) << "returns its buffer";
    SetLastError(ERROR_FILE_NOT_FOUND);
    char tiny[4] = "???";
    EXPECT_EQ(text.substr(0, 3), LastErrorText(tiny, sizeof tiny)) << "cut, and terminated";
    SetLastError(0x2000ffff); // a code the system has no text for
    EXPECT_STREQ("", LastErrorText(buffer, sizeof buffer));
}
