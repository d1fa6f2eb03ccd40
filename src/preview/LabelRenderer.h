#pragma once

#include <QImage>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "preview/LabelScriptParser.h"
#include "preview/Pcx.h"

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

// Renders label scripts the way the printer prints them: fed a script's
// bytes, it returns one image per "P". Images stored with "IS" (in the
// script or through AddImage) stay for later scripts, as in the printer's
// memory. Not shared between threads: give each thread its own renderer.
class LabelRenderer {
 public:
  LabelRenderer();
  ~LabelRenderer();
  LabelRenderer(const LabelRenderer&) = delete;
  LabelRenderer& operator=(const LabelRenderer&) = delete;

  // Stores a PCX file under `name`; false with the reason when it is not a
  // PCX image the printer prints.
  bool AddImage(const std::string& name, std::span<const uint8_t> pcx,
                std::string* error = nullptr);
  // Forgets every stored image, as the printer's "ID*" does.
  void ForgetImages() { images_.clear(); }

  RenderResult Render(std::span<const uint8_t> script);
  RenderResult Render(std::string_view script);
  RenderResult Render(const ParsedScript& script);
  // Draws only the label holding the byte at `focus` and the few around
  // it, and lists every other label undrawn: a script of thousands of
  // labels is previewed where the operator works on it, at the cost of a
  // few labels. Errors found while drawing are those of the drawn labels.
  RenderResult Render(std::string_view script, size_t focus);
  RenderResult Render(const ParsedScript& script, std::optional<size_t> focus);
  // Labels drawn on each side of the focus label.
  static constexpr size_t kFocusAround = 2;

  // Largest label drawn, in dots; larger "SW"/"SL" values are cut to it.
  static constexpr int kMaxWidth = 2400;
  static constexpr int kMaxLength = 8000;
  // Labels and errors kept of one script; the rest are counted in a last
  // error, so a runaway script cannot fill the memory with pictures.
  static constexpr size_t kMaxLabels = 100;
  static constexpr size_t kMaxErrors = 1000;
  // Characters of one text drawn: more than any label holds.
  static constexpr size_t kMaxTextBytes = 20000;

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::map<std::string, Bitmap> images_;
};

}  // namespace qm::preview
