#include "core_test.h"

#include "mobile/parser.h"
#include "mobile/platform.h"
#include "tools/common/debug_capture.h"

static void Collect(const char* text, void* context) {
    ((std::vector<Message>*)context)->push_back(Message{text, reportLine});
}

void CoreTest::SetUp() {
    StartDebugCapture(Collect, &messages);
}

void CoreTest::TearDown() {
    StopDebugCapture();
    ClearTestClock();
    FreeMobile(mobile);
}

void CoreTest::Parse(const std::string& text, uint32_t now) {
    FreeMobile(mobile);
    mobile = Mobile();
    messages.clear();
    SetTestClock(now);
    ParseMobileDescription(mobile, text.data(), (uint32_t)text.size());
}

std::vector<std::string> CoreTest::Texts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        std::string text = message.text;
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
            text.resize(text.size() - 2);
        else
            text += "<no CR LF>";
        texts.push_back(text);
    }
    return texts;
}

std::string EndLine(int32_t n, float mass, float radius, float string) {
    char line[160];
    snprintf(line, sizeof line, "end %d: desc=0 mass=%g radius=%g above=1 string=%g\n", (int)n,
             mass, radius, string);
    return line;
}

const char kUnrounded[] = "perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 perimeter=30 "
                          "thread=0.1,1,1,1 periodicity=0\n";
