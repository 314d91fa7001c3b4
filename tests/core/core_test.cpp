#include "core_test.h"

#include "mobile/parser.h"
#include "mobile/platform.h"

static void Collect(const char* text, uint32_t line, void* context) {
    ((std::vector<Message>*)context)->push_back(Message{text, line});
}

void CoreTest::TearDown() {
    ClearTestClock();
    FreeMobile(mobile);
}

void CoreTest::Parse(const std::string& text, uint32_t now) {
    FreeMobile(mobile);
    mobile = Mobile();
    messages.clear();
    SetTestClock(now);
    ParseMobileDescription(mobile, text.data(), (uint32_t)text.size(), Collect, &messages);
}

std::vector<std::string> CoreTest::Texts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
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
