#pragma once

// Transitional: the Clock seam moved to base/ (every layer uses it). Kept
// only so branches begun before the move still build; include
// "base/Clock.h" instead.
#include "base/Clock.h"
