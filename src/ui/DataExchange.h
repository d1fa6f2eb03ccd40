#pragma once

// Transitional: DataExchange is now ValueBinder, and windows bind their
// fields once in BindValues. Kept only so branches begun before the rename
// still build; include "ui/ValueBinder.h" instead.
#include "base/Numbers.h"
#include "ui/ValueBinder.h"

namespace qm {
using DataExchange = ValueBinder;
}  // namespace qm
