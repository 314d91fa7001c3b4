// Self install into the Windows directory with an entry in the list of
// installed programs, and self uninstall. The user hears from both only
// through message boxes without an owner.
#pragma once

#include <windows.h>

// Copies the program into the Windows directory as a saver and registers
// its uninstall entry; removes both again.
void InstallSaver();
void UninstallSaver();
