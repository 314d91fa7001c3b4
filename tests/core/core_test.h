// What every core test needs: a Mobile parsed from a text, and the messages
// the parse reported, each with the line it was blamed on.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mobile/mobile.h"
#include "mobile/platform.h"

using Lines = std::vector<std::string>;

struct Message {
    std::string text;
    uint32_t line;
};

class CoreTest : public testing::Test {
  protected:
    Mobile mobile = {};
    std::vector<Message> messages;

    void TearDown() override;

    // Parses `text` (may hold NULs) into a fresh `mobile`, collecting the
    // messages; the clock stands at `now` during the parse.
    void Parse(const std::string& text, uint32_t now = 1000);

    // The message texts, in order.
    std::vector<std::string> Texts() const;

    const MobileItem& Item(int32_t n) const { return mobile.items[(uint32_t)n]; }
};

// A clean end item line.
std::string EndLine(int32_t n, float mass = 1, float radius = 1, float string = 1);

// A perspective line with periodicity 0, so that frequencies stay unrounded.
extern const char kUnrounded[];
