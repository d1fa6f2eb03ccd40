#pragma once

#include <string>
#include <vector>

#include "preview/LabelScriptParser.h"
#include "preview/Pcx.h"

namespace qm::preview {

// A barcode as libzint encodes it, before it is sized on the label.
struct EncodedBarcode {
  bool ok = false;
  std::string error;  // libzint's reason when the data does not fit
  // Matrix codes and 1D codes: modules, one byte each, rows x columns.
  int rows = 0;
  int columns = 0;
  std::vector<uint8_t> modules;
  // MaxiCode's hexagons come as libzint draws them, already at label size.
  Bitmap picture;
  // The human-readable line of a 1D code ("*123*" for Code 39).
  std::string humanText;
  // Code 39, interleaved 2 of 5 and Codabar have two bar widths: a run of
  // more than one module is a wide element.
  bool twoWidths = false;
};

EncodedBarcode EncodeBarcode1d(const Barcode1dCommand& command);
EncodedBarcode EncodeBarcode2d(const Barcode2dCommand& command);

}  // namespace qm::preview
