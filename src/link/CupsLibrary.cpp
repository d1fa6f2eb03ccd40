#include "link/CupsLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace qm {
namespace {

template <typename F>
bool Resolve(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

std::optional<CupsLibrary> Load() {
  // The library stays loaded for the rest of the run.
  void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!library) return std::nullopt;
  CupsLibrary cups{};
  bool all = Resolve(library, "cupsServer", cups.cupsServer) &&
             Resolve(library, "cupsEncryption", cups.cupsEncryption) &&
             Resolve(library, "cupsSetPasswordCB2", cups.cupsSetPasswordCB2) &&
             Resolve(library, "cupsDoRequest", cups.cupsDoRequest) &&
             Resolve(library, "httpConnect2", cups.httpConnect2) &&
             Resolve(library, "httpSetTimeout", cups.httpSetTimeout) &&
             Resolve(library, "httpClose", cups.httpClose) &&
             Resolve(library, "ippPort", cups.ippPort) &&
             Resolve(library, "ippNewRequest", cups.ippNewRequest) &&
             Resolve(library, "ippAddStrings", cups.ippAddStrings) &&
             Resolve(library, "ippDelete", cups.ippDelete) &&
             Resolve(library, "ippFirstAttribute", cups.ippFirstAttribute) &&
             Resolve(library, "ippNextAttribute", cups.ippNextAttribute) &&
             Resolve(library, "ippGetGroupTag", cups.ippGetGroupTag) &&
             Resolve(library, "ippGetName", cups.ippGetName) &&
             Resolve(library, "ippGetString", cups.ippGetString);
  if (!all) return std::nullopt;
  return cups;
}

}  // namespace

const CupsLibrary* CupsLibrary::Get() {
  static const std::optional<CupsLibrary> cups = Load();
  return cups ? &*cups : nullptr;
}

}  // namespace qm
