#pragma once

// The POSIX calls shared tests use that the Windows C runtime spells
// differently, for the Windows build of those tests.
#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value);
}

// An empty value removes the variable.
inline int unsetenv(const char* name) {
  return _putenv_s(name, "");
}
