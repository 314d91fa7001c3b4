// Placeholders until install, uninstall and the preview tool launcher are
// written: each says in the trace that it ran and does nothing.
#include "config/runners.h"
#include "host/trace.h"

void InstallSaver() { Trace("InstallSaver: not written yet"); }
void UninstallSaver() { Trace("UninstallSaver: not written yet"); }

HWND LaunchPreviewTool() {
    Trace("LaunchPreviewTool: not written yet");
    return nullptr;
}
