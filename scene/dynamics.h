// The motion of a mobile: every item twists about its own string along a
// sine of time, with a frequency fixed once from its mass, its radius and
// the loads hanging from its arms.
#pragma once

#include <stdint.h>

#include "mobile/mobile.h"

// Sets `totalmass` and `omega` of item n and everything reachable from it,
// clears their `angle`, and records them in `mobile.reachable`. Allocates
// only here, never per frame. A missing item n prepares nothing.
void PrepareDynamics(Mobile& mobile, int32_t n);

// Takes the time (starting the clock on the first call) and sets the angle
// of every prepared item. Allocates nothing; does nothing beyond starting
// the clock while item 1 is missing.
void UpdateAngles(Mobile& mobile);
