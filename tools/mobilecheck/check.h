// The checker's printing beyond the saver's: the parsed mobile as JSON, and
// its figures.
#pragma once

#include <stdio.h>

#include "mobile/author_check.h"
#include "mobile/mobile.h"

void PrintJson(FILE* out, const Mobile& mobile);
void PrintStats(FILE* out, const Check& check, const Mobile& mobile);
