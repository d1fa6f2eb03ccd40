#include "preview/Barcodes.h"

#include <zint.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace qm::preview {

namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

Symbol NewSymbol(int symbology) {
  Symbol symbol(ZBarcode_Create());
  symbol->symbology = symbology;
  symbol->show_hrt = 0;
  symbol->whitespace_width = 0;
  symbol->border_width = 0;
  return symbol;
}

bool ModuleSet(const zint_symbol& symbol, int row, int column) {
  return (symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

EncodedBarcode Encode(zint_symbol& symbol, const std::string& data) {
  EncodedBarcode out;
  const int status = ZBarcode_Encode(&symbol, reinterpret_cast<const unsigned char*>(data.data()),
                                     static_cast<int>(data.size()));
  if (status >= ZINT_ERROR) {
    out.error = symbol.errtxt;
    return out;
  }
  out.ok = true;
  out.rows = symbol.rows;
  out.columns = symbol.width;
  out.modules.resize(static_cast<size_t>(out.rows) * out.columns);
  for (int r = 0; r < out.rows; ++r) {
    for (int c = 0; c < out.columns; ++c) {
      out.modules[static_cast<size_t>(r) * out.columns + c] = ModuleSet(symbol, r, c) ? 1 : 0;
    }
  }
  out.humanText = reinterpret_cast<const char*>(symbol.text);
  return out;
}

// Splits "class,country,postcode,extension,message" of the MaxiCode carrier
// modes into libzint's primary message and the rest.
bool CarrierMessage(const std::string& data, int mode, std::string& primary,
                    std::string& secondary) {
  std::array<std::string, 4> parts;
  size_t pos = 0;
  for (std::string& part : parts) {
    const size_t comma = data.find(',', pos);
    if (comma == std::string::npos) return false;
    part = data.substr(pos, comma - pos);
    pos = comma + 1;
  }
  std::string postcode = parts[2] + parts[3];
  if (mode == 3) postcode = postcode.substr(0, 6);
  primary = postcode + parts[1] + parts[0];
  secondary = data.substr(pos);
  return true;
}

}  // namespace

EncodedBarcode EncodeBarcode1d(const Barcode1dCommand& command) {
  // The symbologies in the order of the builder's list.
  static constexpr std::array<int, 10> kSymbologies{
      BARCODE_CODE39, BARCODE_CODE128, BARCODE_C25INTER, BARCODE_CODABAR, BARCODE_CODE93,
      BARCODE_UPCA,   BARCODE_UPCE,    BARCODE_EANX,     BARCODE_EANX,    BARCODE_GS1_128};
  Symbol symbol = NewSymbol(kSymbologies[static_cast<size_t>(command.symbology)]);
  std::string data = command.data;
  switch (command.symbology) {
    case 3:
      // Codabar without its start and stop letters gets "A" at both ends.
      if (data.find_first_of("ABCDabcd") != 0) data = "A" + data + "A";
      break;
    case 7:
      if (data.size() < 12) data.insert(0, 12 - data.size(), '0');
      break;
    case 8:
      if (data.size() > 8) {
        return {false, "EAN-8 takes at most 8 digits", 0, 0, {}, {}, {}, false};
      }
      // Eight digits carry their own check digit, which must be right, as
      // with EAN-13's thirteen; fewer are the number without it. Either way
      // the symbol is an EAN-8: the encoder would take eight digits for an
      // EAN-13 and a short number for an add-on.
      if (data.size() == 8) {
        symbol->symbology = BARCODE_EANX_CHK;
      } else {
        data.insert(0, 7 - data.size(), '0');
      }
      break;
    case 9:
      // The data is the application identifier and its value, as printed
      // under the bars; the encoder wants the identifier bracketed.
      symbol->input_mode = GS1_MODE | GS1NOCHECK_MODE;
      if (data.size() >= 2 && data[0] != '[' && data[0] != '(') {
        data = "[" + data.substr(0, 2) + "]" + data.substr(2);
      }
      if (data[0] == '(') symbol->input_mode |= GS1PARENS_MODE;
      break;
    default:
      break;
  }
  EncodedBarcode out = Encode(*symbol, data);
  out.twoWidths = command.symbology == 0 || command.symbology == 2 || command.symbology == 3;
  return out;
}

EncodedBarcode EncodeBarcode2d(const Barcode2dCommand& command) {
  if (command.type == 'Q') {
    Symbol symbol = NewSymbol(BARCODE_QRCODE);
    symbol->option_1 = 1 + static_cast<int>(std::string_view("LMQH").find(command.ecc));
    return Encode(*symbol, command.data);
  }
  if (command.type == 'P') {
    // The columns are as asked; the rows follow from the data, up to the
    // maximum. (The compaction mode is left to the encoder, which picks the
    // tightest for the data anyway.)
    Symbol symbol = NewSymbol(BARCODE_PDF417);
    symbol->option_1 = command.ecl;
    symbol->option_2 = command.columns;
    EncodedBarcode out = Encode(*symbol, command.data);
    if (out.ok && out.rows > command.rows) {
      return {false,
              "PDF417 data needs " + std::to_string(out.rows) + " rows of " +
                  std::to_string(command.columns) + " columns, more than the maximum of " +
                  std::to_string(command.rows),
              0,
              0,
              {},
              {},
              {},
              false};
    }
    return out;
  }
  Symbol symbol = NewSymbol(BARCODE_MAXICODE);
  std::string data = command.data;
  int mode = command.mode;
  if (mode == 0 || mode == 2 || mode == 3) {
    // Mode 0 was the first structured carrier message; it prints as mode 2,
    // or mode 3 when the postcode holds letters.
    std::string primary, secondary;
    if (!CarrierMessage(data, mode, primary, secondary)) {
      return {false,
              "MaxiCode mode " + std::to_string(mode) +
                  " needs class,country,postcode,extension, before the message",
              0,
              0,
              {},
              {},
              {},
              false};
    }
    if (mode == 0) {
      mode =
          std::all_of(primary.begin(), primary.end(), [](char c) { return c >= '0' && c <= '9'; })
              ? 2
              : 3;
      if (mode == 3) {
        CarrierMessage(command.data, 3, primary, secondary);
      }
    }
    std::strncpy(symbol->primary, primary.c_str(), sizeof(symbol->primary) - 1);
    data = secondary;
  }
  symbol->option_1 = mode;
  // About an inch square at 8 dots/mm, as the printer prints it.
  symbol->scale = 0.75f;
  EncodedBarcode out;
  const int status =
      ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                 static_cast<int>(data.size()), 0);
  if (status >= ZINT_ERROR) {
    out.error = symbol->errtxt;
    return out;
  }
  out.ok = true;
  Bitmap& picture = out.picture;
  picture.width = symbol->bitmap_width;
  picture.height = symbol->bitmap_height;
  picture.dots.resize(static_cast<size_t>(picture.width) * picture.height);
  for (size_t i = 0; i < picture.dots.size(); ++i) {
    // Each dot is an RGB triple; dark means printed.
    picture.dots[i] = symbol->bitmap[3 * i] < 128 ? 1 : 0;
  }
  return out;
}

}  // namespace qm::preview
