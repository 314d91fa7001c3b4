// The saver's own settings: registry values under the current user's
// "Software\Palvane\<saver name>" key. No cache: every call opens and closes
// the key, and reading never creates it.
#pragma once

#include <windows.h>

void SetSettingRaw(const char* name, DWORD type, const void* data, DWORD size);
bool GetSettingRaw(const char* name, void* buffer); // buffer of 4 bytes
void SetSettingInt(const char* name, int value);
void SetSettingBool(const char* name, bool flag);
int GetSettingInt(const char* name, int defaultValue);
bool GetSettingBool(const char* name, bool defaultValue);
