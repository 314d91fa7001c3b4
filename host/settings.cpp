#include "host/settings.h"

#include "host/saver_host.h"

static void SettingsKeyPath(char* path, size_t size) {
    // Joined by hand: the C runtime's formatter would bring its floating-point
    // printing into the program for one string.
    static const char kParent[] = "Software\\Palvane\\";
    lstrcpynA(path, kParent, (int)size);
    if (size > sizeof kParent - 1)
        lstrcpynA(path + sizeof kParent - 1, host.saverName, (int)(size - (sizeof kParent - 1)));
}

bool ReadRegistryDword(HKEY key, const char* name, DWORD* value) {
    DWORD read = 0, size = sizeof read;
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)&read, &size) != ERROR_SUCCESS)
        return false;
    *value = read;
    return true;
}

void SetSettingRaw(const char* name, DWORD type, const void* data, DWORD size) {
    char path[300];
    SettingsKeyPath(path, sizeof path);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
}

bool GetSettingRaw(const char* name, DWORD* value) {
    char path[300];
    SettingsKeyPath(path, sizeof path);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool read = ReadRegistryDword(key, name, value);
    RegCloseKey(key);
    return read;
}

void SetSettingInt(const char* name, int value) {
    DWORD data = (DWORD)value;
    SetSettingRaw(name, REG_DWORD, &data, sizeof data);
}

void SetSettingBool(const char* name, bool flag) {
    SetSettingInt(name, flag ? 1 : 0);
}

int GetSettingInt(const char* name, int defaultValue) {
    DWORD value = 0;
    return GetSettingRaw(name, &value) ? (int)value : defaultValue;
}

bool GetSettingBool(const char* name, bool defaultValue) {
    return GetSettingInt(name, defaultValue ? 1 : 0) != 0;
}
