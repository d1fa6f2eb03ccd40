#pragma once

#include <dlfcn.h>

namespace qm {

// Libraries the port needs only for some transfers (USB discovery, the
// print-spooler guard) are loaded on first use rather than at start-up:
// each one linked in directly is loaded, relocated and initialised before
// the main window can appear. They stay loaded for the rest of the run.
inline void* OpenLibrary(const char* soname) {
  return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// Looks up `name` in `library` as a function of `function`'s type.
template <typename F>
bool Resolve(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace qm
