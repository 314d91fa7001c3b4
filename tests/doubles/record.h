// Shared by the stand-ins for the optional system components the saver loads
// by name. Each stand-in appends one line per event to a record file and takes
// its answers from the environment, so a test (or the real saver started by
// one) can steer it and read afterwards what happened.
#pragma once

#include <windows.h>

// Appends one line to the record: the file named by HM_DOUBLES_LOG, else
// "doubles.log" beside this DLL.
void Record(const char* format, ...);

// The decimal number in the environment variable `name`, or `fallback`.
long AnswerFromEnvironment(const char* name, long fallback);

// The handle as the decimal number the saver's command line uses.
unsigned long long HandleNumber(HWND window);

#define DOUBLE_EXPORT extern "C" __declspec(dllexport)
