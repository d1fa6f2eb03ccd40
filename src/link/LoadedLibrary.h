#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

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

// Where a module of the tool's own (the label renderer), or the whole
// command-line program the quick one hands its words to, is looked for, first
// to last: the folder named by QUILLMARK_MODULE_DIR when it is set, beside
// the running program (a build tree), then the tool's library folder reached
// from the program's folder (an installed tree, wherever its prefix was
// moved). Nothing absolute is compiled in.
std::vector<std::filesystem::path> PrivateModuleCandidates(const std::string& fileName);

// Loads the first candidate that exists. Null when none exists or the one
// found does not load; `why` then says which folders were looked in, or the
// loader's reason (a library the module needs that is missing, say).
void* OpenPrivateModule(const std::string& fileName, std::string* why = nullptr);

}  // namespace qm
