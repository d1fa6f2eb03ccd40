// libFuzzer target over the command tester's Load: any file contents made
// into a script. The script must stop at the first zero byte, keep every
// byte before it, and end every line with CR LF as the printer reads it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tester/ScriptFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  const qm::LoadedScript loaded = qm::ScriptFromFileContents(contents);
  const size_t zero = contents.find('\0');
  if (loaded.bytesUsed != (zero == std::string_view::npos ? size : zero)) std::abort();
  if (loaded.script.size() != loaded.bytesUsed + loaded.lineEndsChanged) std::abort();
  for (size_t i = 0; i < loaded.script.size(); ++i) {
    if (loaded.script[i] == '\0') std::abort();
    if (loaded.script[i] == '\n' && (i == 0 || loaded.script[i - 1] != '\r')) std::abort();
  }
  return 0;
}
