#pragma once

#include <QImage>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/LabelScriptParser.h"

namespace qm::preview {

// The printer's settings as a label is printed with them.
struct LabelSettings {
  // Without "SW"/"SL" a label is 4 x 6 inches, the builders' defaults.
  int width = 812;
  int length = 1219;
  int gap = 15;
  bool continuous = false;
  int marginX = 0;
  int marginY = 0;
  bool bottom = false;  // "SOB": the label comes out turned 180 degrees
  int speed = -1;       // "SS" index, -1 when never set
  int density = -1;     // "SD" 0..20, -1 when never set
};

struct RenderedLabel {
  // 1 pixel = 1 dot at 8 dots/mm, one bit each (QImage::Format_Mono);
  // colour index 0 is paper, 1 is ink (a grey shade of black when "SD" asked
  // for less than full density).
  QImage image;
  int sets = 1;
  int copies = 1;
  // False for the label still being built after the last "P": the preview
  // shows it, the printer has not printed it.
  bool printed = true;
  int line = 0;  // of its "P", or of its last command when not printed
  LabelSettings settings;
  size_t offset = 0;  // of the first byte of the command `line` names
};

struct RenderResult {
  // With a focus, the labels far from it are listed without their image.
  std::vector<RenderedLabel> labels;
  std::vector<ScriptError> errors;  // by line, the parser's and the renderer's
  size_t focusLabel = 0;            // the label the focus lies in
};

// A label renderer as the preview pane uses it. The renderer and the
// libraries it draws with (libzint, FreeType) are a module the pane loads
// when it first opens, not something every start of the tool pays for.
class ScriptRenderer {
 public:
  virtual ~ScriptRenderer() = default;
  // Every label of `script`, or with a `focus` (a byte offset) those near it
  // drawn and the rest listed (see LabelRenderer::Render).
  virtual RenderResult RenderScript(std::string_view script, std::optional<size_t> focus) = 0;
  // Labels drawn on each side of the focus label.
  static constexpr size_t kFocusAround = 2;
};

// A new renderer from the renderer module, which is loaded on the first
// call; null with the reason in `why` when the module cannot be loaded.
std::unique_ptr<ScriptRenderer> LoadScriptRenderer(std::string* why);

// The module's file and the function it makes renderers with.
inline constexpr char kRendererModule[] = "libqm_preview_renderer.so";
extern "C" {
typedef ScriptRenderer* (*QmNewScriptRenderer)();
}

}  // namespace qm::preview
