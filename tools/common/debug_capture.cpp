#include "tools/common/debug_capture.h"

#ifdef _WIN32

#include <windows.h>

// Raised by OutputDebugStringA with the text's length (counting its NUL) and
// address as the two parameters.
static const DWORD kDebugPrintException = 0x40010006;

static DebugSink captureSink = nullptr;
static void* captureContext = nullptr;
static void* handler = nullptr;

static LONG CALLBACK CatchDebugPrint(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode != kDebugPrintException || record->NumberParameters < 2 ||
        !captureSink)
        return EXCEPTION_CONTINUE_SEARCH;
    captureSink((const char*)record->ExceptionInformation[1], captureContext);
    return EXCEPTION_CONTINUE_EXECUTION;
}

void StartDebugCapture(DebugSink sink, void* context) {
    captureSink = sink;
    captureContext = context;
    if (!handler)
        handler = AddVectoredExceptionHandler(1, CatchDebugPrint);
}

void StopDebugCapture() {
    if (handler)
        RemoveVectoredExceptionHandler(handler);
    handler = nullptr;
    captureSink = nullptr;
    captureContext = nullptr;
}

#else

void StartDebugCapture(DebugSink sink, void* context) {
    SetDebugSink(sink, context);
}

void StopDebugCapture() {
    SetDebugSink(nullptr, nullptr);
}

#endif
