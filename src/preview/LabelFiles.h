#pragma once

#include <string>

#include "preview/LabelRenderer.h"

namespace qm::preview {

// The file name of the `number`th printed label (from 1), with the copies it
// was printed in: "label-0003-6-copies.png" for "P3,2". The virtual printer's
// print folder and the command line name their PNG files alike.
std::string LabelFileName(int number, const RenderedLabel& label);

// Only labels a "P" prints are counted and written. Of a label still being
// built when the script ends, the preview and the command line both say this.
inline constexpr const char* kNotPrintedNote = "label not printed: no \"P\" after it";

// Writes the label as a PNG; false when the file cannot be written.
bool WriteLabelPng(const RenderedLabel& label, const std::string& path);

}  // namespace qm::preview
