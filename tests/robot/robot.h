// A small Win32 robot for end-to-end tests: it starts the real saver program,
// finds its windows, reads what they are and what the screen shows, sends
// real input, reads the registry and reports how the process ended. Every
// wait polls with a generous time limit and pumps the robot's own messages,
// so that windows of the robot (a preview parent, a window to activate) keep
// answering the saver's cross-process messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/startup.h" // the saver's window classes

namespace robot {

// Long enough for a slow, shared machine; a wait that succeeds returns early.
const DWORD kPatience = 30000;

// Dispatches every pending message of the robot's thread.
void Pump();
// Waits for the given time while pumping; for "nothing happens" checks only.
void Pause(DWORD milliseconds);
// Polls the condition until it holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kPatience);

// ---- The program under test.

// HangingMobile.scr beside the test program, unless the test program was
// started with --saver=PATH.
std::string SaverPath();
// The folder of the test program, with a trailing backslash.
std::string OwnFolder();

// The lines of a text file without their line ends; none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path);
// A file's bytes, read while others may have it open; "" when it cannot be read.
std::string FileBytes(const std::string& path);

struct Process {
    HANDLE handle;
    DWORD id;
};

// Starts `"program" arguments` (or the raw command line, when given) and
// returns false when CreateProcessA fails. The process starts with the
// show command SW_SHOWNORMAL, as the system would start a saver.
bool Start(Process& process, const std::string& arguments);
bool StartProgram(Process& process, const std::string& program, const std::string& commandLine);
bool Running(const Process& process);
// Waits for the process to end and reads its exit code.
bool WaitForExit(const Process& process, DWORD* exitCode, DWORD timeoutMs = kPatience);
// Kills the process if it still runs and closes its handle. Safe to repeat.
void Stop(Process& process);

// ---- Windows.

struct WindowFacts {
    HWND window;
    std::string className;
    RECT rect; // screen coordinates
    HWND owner;
    HWND parent;
    LONG_PTR style;
    LONG_PTR exStyle;
    bool visible;
    DWORD processId;
    LONG firstExtraLong; // the saver keeps a window's index there
};

WindowFacts Describe(HWND window);
// The process's top-level windows of a class, in z-order (topmost first).
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className);
// The direct children of a window that have the class.
std::vector<HWND> ChildWindows(HWND parent, const char* className);
// Waits until the process has exactly `count` visible top-level windows of
// the class; `found` receives them.
bool WaitForTopLevelWindows(DWORD processId, const char* className, size_t count,
                            std::vector<HWND>* found, DWORD timeoutMs = kPatience);

// Waits until the window, or a window inside it, has its thread's keyboard
// focus: keys sent through the system then go there, not where they went
// before a click or a new dialog.
bool WaitForFocusIn(HWND window, DWORD timeoutMs = kPatience);
// Waits until the window's thread tracks a menu, which then takes the keys.
bool WaitForMenuMode(HWND window, DWORD timeoutMs = kPatience);
// Waits until the window and the visible windows inside it have nothing
// left to paint and the last paint has ended: the screen shows them whole.
bool WaitForPainted(HWND window, DWORD timeoutMs = kPatience);

// ---- Windows of the robot's own.

// A visible popup window whose window rectangle is the given one.
HWND OpenWindow(const RECT& rect, const char* title);
// Makes a window of the robot the foreground window, taking activation away
// from whichever program has it; true when it became the foreground.
bool Activate(HWND window);
bool PostClose(HWND window);

// ---- Input, through the system's input queue.

void PressKey(WORD virtualKey); // down and up
enum MouseButton { LeftButton, RightButton, MiddleButton };
void ClickButton(MouseButton button); // down and up where the cursor is
void MoveCursor(int x, int y); // the X pointer, as a mouse moves it; then a mouse message there
POINT CursorPosition();

// ---- The screen, read back through GDI.

struct Picture {
    int width, height;
    std::vector<unsigned> pixels; // 0xRRGGBB, rows top to bottom
};

unsigned Rgb(int r, int g, int b);
Picture CaptureScreen(const RECT& area);
// Pixels within `tolerance` of the colour on every channel.
size_t CountColour(const Picture& picture, unsigned rgb, int tolerance = 0);
size_t CountOtherThan(const Picture& picture, unsigned rgb, int tolerance = 0);
// Saves a picture as a 24-bit BMP file, for a person to look at.
bool SaveBitmap(const Picture& picture, const std::string& path);

// ---- The registry.

bool ReadDword(HKEY root, const char* key, const char* name, DWORD* value);
bool ReadString(HKEY root, const char* key, const char* name, std::string* value);
bool WriteDword(HKEY root, const char* key, const char* name, DWORD value);
bool WriteString(HKEY root, const char* key, const char* name, const std::string& value);
void DeleteValue(HKEY root, const char* key, const char* name);
// Whether the key exists and we may read it.
bool KeyExists(HKEY root, const char* key);
// Deletes a key with everything below it.
void DeleteKey(HKEY root, const char* key);

} // namespace robot
