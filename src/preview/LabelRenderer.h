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
#include "preview/ScriptRenderer.h"

namespace qm::preview {

// Renders label scripts the way the printer prints them: fed a script's
// bytes, it returns one image per "P". Images stored with "IS" (in the
// script or through AddImage) stay for later scripts, as in the printer's
// memory. Not shared between threads: give each thread its own renderer.
class LabelRenderer final : public ScriptRenderer {
 public:
  LabelRenderer();
  ~LabelRenderer() override;
  LabelRenderer(const LabelRenderer&) = delete;
  LabelRenderer& operator=(const LabelRenderer&) = delete;

  // Stores a PCX file under `name`; false with the reason when it is not a
  // PCX image the printer prints.
  bool AddImage(const std::string& name, std::span<const uint8_t> pcx,
                std::string* error = nullptr);
  // Forgets every stored image, as the printer's "ID*" does.
  void ForgetImages() { images_.clear(); }
  // Draws at most `labels` of each later script (never more than
  // kMaxLabels) and counts the rest undrawn, as past kMaxLabels.
  void LimitLabels(size_t labels);

  RenderResult Render(std::span<const uint8_t> script);
  RenderResult Render(std::string_view script);
  RenderResult Render(const ParsedScript& script);
  // Draws only the label holding the byte at `focus` and the few around
  // it, and lists every other label undrawn: a script of thousands of
  // labels is previewed where the operator works on it, at the cost of a
  // few labels. Errors found while drawing are those of the drawn labels.
  RenderResult Render(std::string_view script, size_t focus);
  RenderResult Render(const ParsedScript& script, std::optional<size_t> focus);
  RenderResult RenderScript(std::string_view script, std::optional<size_t> focus) override;
  static constexpr size_t kFocusAround = ScriptRenderer::kFocusAround;

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
  size_t maxLabels_ = kMaxLabels;
};

}  // namespace qm::preview
