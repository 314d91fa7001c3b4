// Stands in for the hot-corner agent, under either of its names.
#include "record.h"

// HM_DOUBLES_AGENT_DETECT chooses what detection returns (default 1).
DOUBLE_EXPORT INT32 WINAPI System_Agent_Detect() {
    INT32 answer = (INT32)AnswerFromEnvironment("HM_DOUBLES_AGENT_DETECT", 1);
    Record("System_Agent_Detect -> %ld", (long)answer);
    return answer;
}

DOUBLE_EXPORT void WINAPI Screen_Saver_Changed() {
    Record("Screen_Saver_Changed");
}
