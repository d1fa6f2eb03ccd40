#pragma once

// Transitional: the Prompter seam moved to base/ (every layer uses it). Kept
// only so branches begun before the move still build; include
// "base/Prompter.h" instead.
#include "base/Prompter.h"
