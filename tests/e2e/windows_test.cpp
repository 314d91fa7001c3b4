// Simulated monitors (/sm), the preview (/p) and start-up command lines,
// driven from outside.
#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

} // namespace
