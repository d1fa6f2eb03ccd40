// libFuzzer target: any bytes as a label script through the parser and the
// renderer, and as a PCX file through the image decoder. Nothing may crash,
// leak or trip a sanitizer; every error must name a line of the script.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "preview/LabelRenderer.h"
#include "preview/Pcx.h"

namespace {

// Labels drawn of one input: two, so that what one label leaves behind (its
// character set, the settings changed after it) is drawn with. Every line is
// still parsed, every setting and stored image still taken, and the labels
// past these are counted undrawn, which runs the renderer's own limit. A
// later label draws with the same code from the same kind of state, which
// the fuzzer reaches in a shorter input; drawing up to a hundred labels of up
// to 2400 x 8000 dots, each in fresh memory under the address checks, made
// such inputs cost up to a hundred times what they test.
constexpr size_t kLabelsDrawn = 2;

qm::preview::LabelRenderer& Renderer() {
  static qm::preview::LabelRenderer renderer;
  return renderer;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Renderer().LimitLabels(kLabelsDrawn);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const qm::preview::RenderResult result = Renderer().Render(bytes);
  for (const qm::preview::ScriptError& error : result.errors) {
    if (error.line < 1) std::abort();
  }
  (void)qm::preview::DecodePcx(bytes);
  return 0;
}
