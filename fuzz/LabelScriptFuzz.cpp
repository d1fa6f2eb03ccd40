// libFuzzer target: any bytes as a label script through the parser and the
// renderer, and as a PCX file through the image decoder. Nothing may crash,
// leak or trip a sanitizer; every error must name a line of the script.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "preview/LabelRenderer.h"
#include "preview/Pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  static qm::preview::LabelRenderer renderer;
  const qm::preview::RenderResult result = renderer.Render(bytes);
  for (const qm::preview::ScriptError& error : result.errors) {
    if (error.line < 1) std::abort();
  }
  (void)qm::preview::DecodePcx(bytes);
  return 0;
}
