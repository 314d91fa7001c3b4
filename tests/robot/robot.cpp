#include "tests/robot/robot.h"

#include <stdio.h>
#include <string.h>

namespace robot {

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Pause(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Pump();
        Sleep(10);
    }
    Pump();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

// ---- The program under test.

std::string OwnFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash)
        slash[1] = 0;
    return path;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return lines;
    char line[512];
    while (fgets(line, sizeof line, file)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    fclose(file);
    return lines;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::string SaverPath() {
    const char* option = strstr(GetCommandLineA(), "--saver=");
    if (option) {
        std::string path = option + strlen("--saver=");
        size_t end = path.find(' ');
        return end == std::string::npos ? path : path.substr(0, end);
    }
    return OwnFolder() + "HangingMobile.scr";
}

bool StartProgram(Process& process, const std::string& program, const std::string& commandLine) {
    process.handle = nullptr;
    process.id = 0;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process.handle = info.hProcess;
    process.id = info.dwProcessId;
    return true;
}

bool Start(Process& process, const std::string& arguments) {
    std::string program = SaverPath();
    return StartProgram(process, program, "\"" + program + "\" " + arguments);
}

bool Running(const Process& process) {
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT;
}

bool WaitForExit(const Process& process, DWORD* exitCode, DWORD timeoutMs) {
    if (!process.handle)
        return false;
    if (!WaitUntil([&] { return !Running(process); }, timeoutMs))
        return false;
    return GetExitCodeProcess(process.handle, exitCode) != 0;
}

void Stop(Process& process) {
    if (!process.handle)
        return;
    if (Running(process)) {
        TerminateProcess(process.handle, 0xDEAD);
        WaitForSingleObject(process.handle, kPatience);
    }
    CloseHandle(process.handle);
    process.handle = nullptr;
    process.id = 0;
}

// ---- Windows.

WindowFacts Describe(HWND window) {
    WindowFacts facts = {};
    facts.window = window;
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    facts.className = name;
    GetWindowRect(window, &facts.rect);
    facts.owner = GetWindow(window, GW_OWNER);
    facts.parent = GetAncestor(window, GA_PARENT);
    facts.style = GetWindowLongPtrA(window, GWL_STYLE);
    facts.exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    facts.visible = IsWindowVisible(window) != 0;
    GetWindowThreadProcessId(window, &facts.processId);
    facts.firstExtraLong = GetWindowLongA(window, 0);
    return facts;
}

namespace {

struct Search {
    DWORD processId; // 0: any
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    Search& search = *(Search*)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    if ((search.processId == 0 || owner == search.processId) && strcmp(name, search.className) == 0)
        search.found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className) {
    Search search = {processId, className, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent, const char* className) {
    Search search = {0, className, {}};
    EnumChildWindows(parent, CollectWindow, (LPARAM)&search);
    std::vector<HWND> direct;
    for (HWND child : search.found)
        if (GetAncestor(child, GA_PARENT) == parent)
            direct.push_back(child);
    return direct;
}

static GUITHREADINFO ThreadInfoOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

bool WaitForFocusIn(HWND window, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            HWND focus = ThreadInfoOf(window).hwndFocus;
            return focus && (focus == window || IsChild(window, focus));
        },
        timeoutMs);
}

bool WaitForMenuMode(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return (ThreadInfoOf(window).flags & GUI_INMENUMODE) != 0; }, timeoutMs);
}

static bool NeedsPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE))
        return true;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && NeedsPaint(child))
            return true;
    return false;
}

bool WaitForPainted(HWND window, DWORD timeoutMs) {
    bool painted = WaitUntil([&] { return !NeedsPaint(window); }, timeoutMs);
    // The last paint validated its window as it began; a message sent now is
    // answered only once that paint has ended.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result);
    return painted;
}

bool WaitForTopLevelWindows(DWORD processId, const char* className, size_t count,
                            std::vector<HWND>* found, DWORD timeoutMs) {
    std::vector<HWND> visible;
    bool ok = WaitUntil(
        [&] {
            visible.clear();
            for (HWND window : TopLevelWindows(processId, className))
                if (IsWindowVisible(window))
                    visible.push_back(window);
            return visible.size() == count;
        },
        timeoutMs);
    if (found)
        *found = visible;
    return ok;
}

// ---- Windows of the robot's own.

HWND OpenWindow(const RECT& rect, const char* title) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
        windowClass.lpszClassName = "RobotWindow";
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND window = CreateWindowExA(0, "RobotWindow", title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                  rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    Pump();
    return window;
}

bool Activate(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
}

bool PostClose(HWND window) {
    return PostMessageA(window, WM_CLOSE, 0, 0) != 0;
}

// ---- Input.

void PressKey(WORD virtualKey) {
    // The navigation keys sit on the extended part of the keyboard.
    bool extended = (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_INSERT ||
                    virtualKey == VK_DELETE;
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; i++) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = virtualKey;
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(virtualKey, 0);
        inputs[i].ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, inputs, sizeof(INPUT));
}

void ClickButton(MouseButton button) {
    static const DWORD downs[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN,
                                  MOUSEEVENTF_MIDDLEDOWN};
    static const DWORD ups[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = downs[button];
    inputs[1].mi.dwFlags = ups[button];
    SendInput(2, inputs, sizeof(INPUT));
}

// Moves the X display's own pointer, as a mouse would, through the XTEST
// extension (Wine starts Unix programs too). SetCursorPos is not enough: it
// sets Wine's copy of the position at once, but while a full-screen window
// of another process holds the pointer grabbed (as Wine does for a window
// that covers the only monitor) Wine refuses to warp the X pointer. Then the
// position a program reads depends on timing: Wine's copy when it changed
// within the last 100 ms, the X pointer's after that.
//
// Wine hands back no handle that can be waited on for a Unix process (the
// wait fails at once), so xdotool's end is told by a file it leaves behind;
// once xdotool has closed its display, the X server has moved the pointer.
// Without that wait, a move started late on a busy machine lands after the moves
// that follow it and puts the pointer back where a test had left it.
static bool MovePointerThroughX(int x, int y) {
    static LONG moves = 0;
    char marker[100], dosMarker[110], command[300];
    snprintf(marker, sizeof marker, "/tmp/hm-robot-%lu-%ld.done",
             (unsigned long)GetCurrentProcessId(), (long)InterlockedIncrement(&moves));
    snprintf(dosMarker, sizeof dosMarker, "Z:%s", marker);
    for (char* c = dosMarker; *c; c++)
        if (*c == '/')
            *c = '\\';
    snprintf(command, sizeof command, "/usr/bin/xdotool mousemove %d %d exec /usr/bin/touch %s",
             x - GetSystemMetrics(SM_XVIRTUALSCREEN), y - GetSystemMetrics(SM_YVIRTUALSCREEN),
             marker);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (GetFileAttributesA("Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES ||
        !CreateProcessA("/usr/bin/xdotool", command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // A plain wait, pumping nothing: with this thread's messages pumped while
    // Wine's Unix child ran, the robot's own process was seen to end (exit
    // code 0, its output cut short) as soon as the saver it drove ended.
    bool done = false;
    for (DWORD start = GetTickCount(); !done && GetTickCount() - start < kPatience; Sleep(10))
        done = GetFileAttributesA(dosMarker) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(dosMarker);
    return done;
}

void MoveCursor(int x, int y) {
    if (!MovePointerThroughX(x, y)) {
        static bool told = false;
        if (!told)
            fprintf(stderr, "robot: xdotool did not move the X pointer; the cursor moves with "
                            "SetCursorPos only\n");
        told = true;
    }
    // Wine's copy of the position follows the X pointer only when one of its
    // windows hears the motion: not over the bare root window, and not when
    // the pointer was already there. A stale copy is what programs read for
    // 100 ms after any mouse input (the move of no length below, or another
    // program's), so a saver starting then would take a wrong reference point
    // and end at its first mouse message. Setting the copy to the point the X
    // pointer now has makes the two agree before anything else happens; the
    // X pointer stays put, since it is there already.
    SetCursorPos(x, y);
    WaitUntil([&] {
        POINT point = {};
        return GetCursorPos(&point) && point.x == x && point.y == y;
    });
    // A move of no length through the input queue makes sure the window under
    // the cursor hears of the new position even if Wine sent no message.
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(INPUT));
}

POINT CursorPosition() {
    POINT point = {};
    GetCursorPos(&point);
    return point;
}

// ---- The screen.

unsigned Rgb(int r, int g, int b) {
    return (unsigned)r << 16 | (unsigned)g << 8 | (unsigned)b;
}

Picture CaptureScreen(const RECT& area) {
    Picture picture = {area.right - area.left, area.bottom - area.top, {}};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const unsigned* bgrx = (const unsigned*)bits;
    picture.pixels.assign(bgrx, bgrx + (size_t)picture.width * picture.height);
    for (unsigned& pixel : picture.pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

namespace {

bool Near(unsigned a, unsigned b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int difference = (int)(a >> shift & 255) - (int)(b >> shift & 255);
        if (difference > tolerance || difference < -tolerance)
            return false;
    }
    return true;
}

} // namespace

size_t CountColour(const Picture& picture, unsigned rgb, int tolerance) {
    size_t count = 0;
    for (unsigned pixel : picture.pixels)
        count += Near(pixel, rgb, tolerance);
    return count;
}

size_t CountOtherThan(const Picture& picture, unsigned rgb, int tolerance) {
    return picture.pixels.size() - CountColour(picture, rgb, tolerance);
}

bool SaveBitmap(const Picture& picture, const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    int rowBytes = (picture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER header = {};
    BITMAPINFOHEADER info = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + rowBytes * picture.height;
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    fwrite(&header, sizeof header, 1, file);
    fwrite(&info, sizeof info, 1, file);
    std::vector<unsigned char> row(rowBytes);
    for (int y = picture.height - 1; y >= 0; y--) {
        for (int x = 0; x < picture.width; x++) {
            unsigned pixel = picture.pixels[(size_t)y * picture.width + x];
            row[x * 3] = pixel & 255;
            row[x * 3 + 1] = pixel >> 8 & 255;
            row[x * 3 + 2] = pixel >> 16 & 255;
        }
        fwrite(row.data(), 1, row.size(), file);
    }
    return fclose(file) == 0;
}

// ---- The registry.

bool ReadDword(HKEY root, const char* key, const char* name, DWORD* value) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *value;
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *value;
}

bool KeyExists(HKEY root, const char* key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool ReadString(HKEY root, const char* key, const char* name, std::string* value) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    char buffer[1024] = "";
    DWORD type = 0, size = sizeof buffer - 1;
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, (BYTE*)buffer, &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    *value = buffer;
    return true;
}

namespace {

bool WriteValue(HKEY root, const char* key, const char* name, DWORD type, const void* data,
                DWORD size) {
    HKEY opened;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(opened, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS;
}

} // namespace

bool WriteDword(HKEY root, const char* key, const char* name, DWORD value) {
    return WriteValue(root, key, name, REG_DWORD, &value, sizeof value);
}

bool WriteString(HKEY root, const char* key, const char* name, const std::string& value) {
    return WriteValue(root, key, name, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

void DeleteValue(HKEY root, const char* key, const char* name) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

void DeleteKey(HKEY root, const char* key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return;
    // Deleting shifts the indexes, so always take the first remaining child;
    // one that cannot be deleted ends the walk rather than repeating forever.
    std::string previous;
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        if (RegEnumKeyExA(opened, 0, child, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            previous == child)
            break;
        previous = child;
        DeleteKey(root, (std::string(key) + "\\" + child).c_str());
    }
    RegCloseKey(opened);
    RegDeleteKeyA(root, key);
}

} // namespace robot
