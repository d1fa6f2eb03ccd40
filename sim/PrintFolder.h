#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/LabelState.h"

namespace qm::preview {
class LabelRenderer;
}

namespace qm::sim {

// The virtual printer's paper: every printed label becomes a PNG in a
// folder, numbered in print order with its copy count in the name
// ("label-0003-6-copies.png"). Rendered by the same renderer as the tester's
// preview, so both show the same label.
class PrintFolder {
 public:
  explicit PrintFolder(std::string folder);
  ~PrintFolder();

  // Stored images the labels may recall ("IR"), by name: PCX files.
  void StoreImage(const std::string& name, const std::vector<uint8_t>& pcx);

  // Renders and writes one label. Returns the file written; empty for a
  // label printed in no copies, or (with the reason on stderr) when it could
  // not be written.
  std::string Print(const PrintedLabel& label);

  int Printed() const { return count_; }

 private:
  std::string folder_;
  std::unique_ptr<preview::LabelRenderer> renderer_;
  int count_ = 0;
};

}  // namespace qm::sim
