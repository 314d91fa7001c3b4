// The saver's own settings: registry values under the current user's
// "Software\Palvane\<saver name>" key. No cache: every call opens and closes
// the key, and reading never creates it.
#pragma once

#include <windows.h>

// The names of the saver's own settings.
const char kSettingChangeScreenMode[] = "ChangeScreenMode"; // switch to 640 x 480 x 16
const char kSettingLatitude[] = "latitude";                 // the camera's, whole degrees
const char kSettingLongitude[] = "longitude";

// Reads a value of at most four bytes from an open key into *value, through a
// zeroed buffer, so that a shorter value reads with zero high bytes. A value
// that is missing or longer leaves *value alone and returns false. The
// system-wide saver values are read through this too.
bool ReadRegistryDword(HKEY key, const char* name, DWORD* value);

void SetSettingRaw(const char* name, DWORD type, const void* data, DWORD size);
bool GetSettingRaw(const char* name, DWORD* value);
void SetSettingInt(const char* name, int value);
void SetSettingBool(const char* name, bool flag);
int GetSettingInt(const char* name, int defaultValue);
bool GetSettingBool(const char* name, bool defaultValue);
