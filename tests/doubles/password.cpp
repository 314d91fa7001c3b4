// Stands in for PASSWORD.CPL: the 9x family's screen-saver password check.
#include "record.h"

// HM_DOUBLES_PASSWORD_ANSWER chooses the answer (default 1: accepted).
DOUBLE_EXPORT BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    BOOL answer = (BOOL)AnswerFromEnvironment("HM_DOUBLES_PASSWORD_ANSWER", 1);
    Record("VerifyScreenSavePwd %llu -> %d", HandleNumber(window), answer);
    return answer;
}
