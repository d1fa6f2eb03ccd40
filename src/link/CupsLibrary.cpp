#include "link/CupsLibrary.h"

#include <optional>

#include "link/LoadedLibrary.h"

namespace qm {
namespace {

std::optional<CupsLibrary> Load() {
  void* library = OpenLibrary("libcups.so.2");
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
