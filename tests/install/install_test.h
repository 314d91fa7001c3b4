// What the install and launcher tests share: message boxes of another
// process read and answered, files and raw registry values read back.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/robot/robot.h"

namespace install {

// A message box as the user would see it: caption, text and buttons.
struct Box {
    HWND dialog = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // visible ones among IDOK, IDCANCEL, IDYES, IDNO
    bool icon = false;        // an icon is shown beside the text
};

inline std::string WindowText(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline Box Read(HWND dialog) {
    Box box;
    box.dialog = dialog;
    box.caption = WindowText(dialog);
    for (HWND child : robot::ChildWindows(dialog, "Static")) {
        if (!IsWindowVisible(child))
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            box.icon = box.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
            continue;
        }
        std::string text = WindowText(child);
        if (text.size() > box.text.size())
            box.text = text;
    }
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND button = GetDlgItem(dialog, id);
        if (button && IsWindowVisible(button))
            box.buttons.push_back(id);
    }
    return box;
}

// The process's visible message boxes.
inline std::vector<HWND> MessageBoxes(DWORD processId) {
    std::vector<HWND> found;
    for (HWND dialog : robot::TopLevelWindows(processId, "#32770"))
        if (IsWindowVisible(dialog))
            found.push_back(dialog);
    return found;
}

// Waits for a message box of the process, or for the process to end
// without one (then `dialog` stays null).
inline Box WaitForMessageBox(const robot::Process& process) {
    HWND dialog = nullptr;
    robot::WaitUntil([&] {
        std::vector<HWND> boxes = MessageBoxes(process.id);
        dialog = boxes.empty() ? nullptr : boxes[0];
        return dialog || !robot::Running(process);
    });
    // A box is read once it shows its text and buttons.
    Box box;
    if (dialog)
        robot::WaitUntil([&] {
            box = Read(dialog);
            return !box.text.empty() && !box.buttons.empty();
        });
    return box;
}

// Presses one of the box's buttons.
inline void Answer(const Box& box, int id) {
    PostMessageA(box.dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 (LPARAM)GetDlgItem(box.dialog, id));
}

inline std::vector<int> Buttons(std::initializer_list<int> ids) {
    return std::vector<int>(ids);
}

struct ClassSearch {
    const char* className;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectOfClass(HWND window, LPARAM data) {
    ClassSearch* search = (ClassSearch*)data;
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, search->className) == 0)
        search->found.push_back(window);
    return TRUE;
}

// Top-level windows of a class, whichever process has them.
inline std::vector<HWND> FindWindows(const char* className) {
    ClassSearch search = {className, {}};
    EnumWindows(CollectOfClass, (LPARAM)&search);
    return search.found;
}

// ---- Files.

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

inline std::string WindowsFolder() {
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

// ---- Raw registry values.

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string bytes; // exactly as stored, terminating zeros included
};

inline bool ReadValue(HKEY root, const char* key, const char* name, Value* value) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG result = RegQueryValueExA(opened, name, nullptr, &value->type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value->bytes.assign(size, '\0');
        result =
            RegQueryValueExA(opened, name, nullptr, &value->type, (BYTE*)&value->bytes[0], &size);
        value->bytes.resize(size);
    }
    RegCloseKey(opened);
    value->name = name ? name : "";
    return result == ERROR_SUCCESS;
}

// Every value of a key, by name (the order they were written in is not
// kept by every registry).
inline std::vector<Value> Values(HKEY root, const char* key) {
    std::vector<Value> values;
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        Value value;
        if (RegEnumValueA(opened, i, name, &nameSize, nullptr, &value.type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        value.name = name;
        value.bytes.assign((const char*)data, dataSize);
        values.push_back(value);
    }
    RegCloseKey(opened);
    std::sort(values.begin(), values.end(),
              [](const Value& a, const Value& b) { return a.name < b.name; });
    return values;
}

// Puts a value back as it was (or removes it when there was none).
inline void Restore(HKEY root, const char* key, const char* name, bool existed,
                    const Value& value) {
    HKEY opened;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (existed)
        RegSetValueExA(opened, name, 0, value.type, (const BYTE*)value.bytes.data(),
                       (DWORD)value.bytes.size());
    else
        RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

// A REG_SZ value as it should be stored: the text and its terminating zero.
inline Value Text(const char* name, const std::string& text) {
    Value value;
    value.name = name;
    value.type = REG_SZ;
    value.bytes = text + '\0';
    return value;
}

inline bool operator==(const Value& a, const Value& b) {
    return a.name == b.name && a.type == b.type && a.bytes == b.bytes;
}

inline void PrintTo(const Value& value, std::ostream* out) {
    *out << value.name << " type " << value.type << " " << value.bytes.size() << " bytes \"";
    for (char c : value.bytes)
        if (c == 0)
            *out << "\\0";
        else
            *out << c;
    *out << "\"";
}

} // namespace install
