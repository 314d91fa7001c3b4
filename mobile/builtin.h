// The built-in mobile description, embedded in native programs. The Windows
// program carries the same text as its RCDATA 1 resource instead.
#pragma once

#include <stdint.h>

extern const char builtinMobileText[];
extern const uint32_t builtinMobileSize;
