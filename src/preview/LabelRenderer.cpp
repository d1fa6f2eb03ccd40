#include "preview/LabelRenderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>
#include <utility>

#include "preview/Barcodes.h"
#include "preview/CharacterSets.h"
#include "preview/Glyphs.h"

namespace qm::preview {

namespace {

enum class Ink { Set, Clear, Invert };

// The label's dots, laid out as its 1-bit image (rows of whole 32-bit
// words, the first dot of a row in a byte's top bit, a set bit is ink),
// with everything drawn clipped to it. A label printed bottom first is drawn
// turned half round as it goes, so the image is one copy of the bits. They
// live in `bits`, which the renderer keeps from label to label: memory
// already in use is cleared far faster than fresh memory is brought in.
class Canvas {
 public:
  Canvas(int width, int height, bool turned, std::vector<uint8_t>& bits)
      : width_(width),
        height_(height),
        turned_(turned),
        stride_((width + 31) / 32 * 4),
        bits_(bits) {
    bits_.assign(static_cast<size_t>(stride_) * height, 0);
  }

  // Fills the half-open rectangle [x0, x1) x [y0, y1).
  void Fill(int x0, int y0, int x1, int y1, Ink ink) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    if (x1 <= x0 || y1 <= y0) return;
    if (turned_) {
      std::tie(x0, x1) = std::pair(width_ - x1, width_ - x0);
      std::tie(y0, y1) = std::pair(height_ - y1, height_ - y0);
    }
    const int first = x0 / 8, last = (x1 - 1) / 8;
    const uint8_t head = static_cast<uint8_t>(0xFF >> (x0 % 8));
    const uint8_t tail = static_cast<uint8_t>(0xFF << (7 - (x1 - 1) % 8));
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = &bits_[static_cast<size_t>(y) * stride_];
      if (first == last) {
        Apply(row[first], static_cast<uint8_t>(head & tail), ink);
        continue;
      }
      Apply(row[first], head, ink);
      Apply(row[last], tail, ink);
      uint8_t* middle = row + first + 1;
      const size_t bytes = static_cast<size_t>(last - first - 1);
      switch (ink) {
        case Ink::Set:
          std::memset(middle, 0xFF, bytes);
          break;
        case Ink::Clear:
          std::memset(middle, 0, bytes);
          break;
        case Ink::Invert:
          for (size_t i = 0; i < bytes; ++i) middle[i] ^= 0xFF;
          break;
      }
    }
  }

  bool Touches(int x0, int y0, int x1, int y1) const {
    return x1 > 0 && y1 > 0 && x0 < width_ && y0 < height_ && x1 > x0 && y1 > y0;
  }

  QImage ToImage(QRgb ink) const {
    QImage image(width_, height_, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), ink});
    // A 1-bit image's lines are whole 32-bit words too, and nothing is drawn
    // past a line's last dot, so its padding comes out blank. (A null image,
    // when the memory ran out, has no bytes to fill.)
    const size_t bytes = std::min(bits_.size(), static_cast<size_t>(image.sizeInBytes()));
    if (bytes > 0) std::memcpy(image.bits(), bits_.data(), bytes);
    return image;
  }

 private:
  static void Apply(uint8_t& byte, uint8_t mask, Ink ink) {
    switch (ink) {
      case Ink::Set:
        byte |= mask;
        break;
      case Ink::Clear:
        byte &= static_cast<uint8_t>(~mask);
        break;
      case Ink::Invert:
        byte ^= mask;
        break;
    }
  }

  int width_;
  int height_;
  bool turned_;
  int stride_;
  std::vector<uint8_t>& bits_;
};

// Where an element stands: its anchor dot on the label and its rotation
// (0..3, clockwise quarter turns about the anchor). Local coordinates run
// right (u) and down (v) from the anchor before the turn.
struct Placement {
  Canvas& canvas;
  int x;
  int y;
  int rotation;

  // The label rectangle [x0, x1) x [y0, y1) of the local one at (u, v).
  std::array<int, 4> OnLabel(int u, int v, int w, int h) const {
    switch (rotation & 3) {
      case 0:
        return {x + u, y + v, x + u + w, y + v + h};
      case 1:
        return {x - v - h, y + u, x - v, y + u + w};
      case 2:
        return {x - u - w, y - v - h, x - u, y - v};
      default:
        return {x + v, y - u - w, x + v + h, y - u};
    }
  }

  void Fill(int u, int v, int w, int h, Ink ink) const {
    const auto [x0, y0, x1, y1] = OnLabel(u, v, w, h);
    canvas.Fill(x0, y0, x1, y1, ink);
  }

  // Each dot of `bitmap` as an sx x sy block at (u, v).
  void Stamp(const Bitmap& bitmap, int u, int v, int sx, int sy, Ink ink) const {
    // A glyph off the label costs nothing, however long the text runs.
    const auto [x0, y0, x1, y1] = OnLabel(u, v, bitmap.width * sx, bitmap.height * sy);
    if (!canvas.Touches(x0, y0, x1, y1)) return;
    for (int j = 0; j < bitmap.height; ++j) {
      const uint8_t* row = bitmap.dots.data() + static_cast<size_t>(j) * bitmap.width;
      for (int i = 0; i < bitmap.width; ++i) {
        // Runs of dots in a row become one block.
        if (row[i] == 0) continue;
        int run = 1;
        while (i + run < bitmap.width && row[i + run] != 0) ++run;
        Fill(u + i * sx, v + j * sy, run * sx, sy, ink);
        i += run - 1;
      }
    }
  }
};

}  // namespace

struct LabelRenderer::State {
  Glyphs glyphs;
  // The canvas, kept for the next label and the next script: at most
  // kMaxWidth x kMaxLength bits, 2.4 MB.
  std::vector<uint8_t> bits;
};

LabelRenderer::LabelRenderer() : state_(std::make_unique<State>()) {}
LabelRenderer::~LabelRenderer() = default;

bool LabelRenderer::AddImage(const std::string& name, std::span<const uint8_t> pcx,
                             std::string* error) {
  PcxResult decoded = DecodePcx(pcx);
  if (!decoded.ok) {
    if (error) *error = decoded.error;
    return false;
  }
  images_[name] = std::move(decoded.bitmap);
  return true;
}

void LabelRenderer::LimitLabels(size_t labels) {
  maxLabels_ = std::min(labels, kMaxLabels);
}

RenderResult LabelRenderer::Render(std::string_view script) {
  return Render(ParseScript(script));
}

RenderResult LabelRenderer::Render(std::span<const uint8_t> script) {
  return Render(ParseScript(script));
}

namespace {

// Draws the commands of one label in order.
class LabelPainter {
 public:
  LabelPainter(Canvas& canvas, const LabelSettings& settings, Glyphs& glyphs,
               const std::map<std::string, Bitmap>& images, std::vector<ScriptError>& errors)
      : canvas_(canvas), settings_(settings), glyphs_(glyphs), images_(images), errors_(errors) {}

  void Draw(const ParsedCommand& parsed) {
    line_ = parsed.line;
    offset_ = parsed.offset;
    std::visit([this](const auto& command) { Draw(command); }, parsed.command);
  }

 private:
  Placement At(int x, int y, int rotation) const {
    return {canvas_, x + settings_.marginX, y + settings_.marginY, rotation};
  }
  void Error(std::string message) { errors_.push_back({line_, std::move(message), offset_}); }

  void Draw(const CharacterSetCommand& c) {
    international_ = c.international;
    codeTable_ = c.codeTable;
  }

  void Draw(const TextCommand& t) {
    const std::string_view bytes = std::string_view(t.text).substr(0, LabelRenderer::kMaxTextBytes);
    const FontCell cell = CellOfFont(t.font);
    const TwoByteTable table = TwoByteTableOfFont(t.font);
    const std::u32string text = table == TwoByteTable::None
                                    ? DecodeSingleByte(bytes, international_, codeTable_)
                                    : DecodeTwoByte(bytes, table);
    // A single-byte character in a two-byte font takes half its cell.
    auto widthOf = [&](char32_t c) {
      return table != TwoByteTable::None && c < 0x80 ? cell.width / 2 : cell.width;
    };
    int total = 0;
    for (char32_t c : text) total += widthOf(c) * t.hMulti + t.rightSpace;
    const Placement place = At(t.x, t.y, t.rotation);
    const int height = cell.height * t.vMulti;
    if (t.reverse) place.Fill(0, 0, total, height, Ink::Set);
    const Ink ink = t.reverse ? Ink::Clear : Ink::Set;
    int u = 0;
    for (char32_t c : text) {
      const Bitmap& glyph = glyphs_.Cell(c, widthOf(c), cell.height);
      place.Stamp(glyph, u, 0, t.hMulti, t.vMulti, ink);
      // Bold strikes the character again one dot to the right.
      if (t.bold) place.Stamp(glyph, u + 1, 0, t.hMulti, t.vMulti, ink);
      u += widthOf(c) * t.hMulti + t.rightSpace;
    }
  }

  void Draw(const VectorTextCommand& v) {
    std::u32string text =
        DecodeSingleByte(std::string_view(v.text).substr(0, LabelRenderer::kMaxTextBytes),
                         international_, codeTable_);
    if (v.rightToLeft) std::reverse(text.begin(), text.end());
    std::vector<const Glyphs::Vector*> shapes;
    int total = 0;
    for (char32_t c : text) {
      shapes.push_back(&glyphs_.Scalable(c, v.width, v.height, v.bold, v.italic));
      total += shapes.back()->advance + v.space;
    }
    if (!shapes.empty()) total -= v.space;
    total = std::max(total, 0);
    int u = v.justify == Justify::Left ? 0 : v.justify == Justify::Center ? -total / 2 : -total;
    const Placement place = At(v.x, v.y, v.rotation);
    if (v.reverse) place.Fill(u, 0, total, v.height, Ink::Set);
    const Ink ink = v.reverse ? Ink::Clear : Ink::Set;
    for (const Glyphs::Vector* shape : shapes) {
      place.Stamp(shape->bitmap, u + shape->left, shape->top, 1, 1, ink);
      u += shape->advance + v.space;
    }
  }

  // A line of small text centred on a symbol that spans u0 .. u0 + width.
  void HumanReadable(const Placement& place, std::string_view text, int u0, int width, int v) {
    const FontCell cell = CellOfFont('1');
    const std::u32string chars = DecodeSingleByte(text, 0, 0);
    int u = u0 + (width - static_cast<int>(chars.size()) * cell.width) / 2;
    for (char32_t c : chars) {
      place.Stamp(glyphs_.Cell(c, cell.width, cell.height), u, v, 1, 1, Ink::Set);
      u += cell.width;
    }
  }

  // The whole text under a symbol: its line breaks kept, each line wrapped
  // at the symbol's width rather than cut.
  void HumanReadableBlock(const Placement& place, std::string_view text, int u0, int width, int v) {
    const int lineHeight = CellOfFont('1').height;
    const size_t perLine = static_cast<size_t>(std::max(1, width / CellOfFont('1').width));
    while (!text.empty()) {
      const size_t end = std::min(text.find_first_of("\r\n"), text.size());
      std::string_view line = text.substr(0, end);
      do {
        HumanReadable(place, line.substr(0, perLine), u0, width, v);
        line.remove_prefix(std::min(perLine, line.size()));
        v += lineHeight;
      } while (!line.empty());
      text.remove_prefix(end);
      if (text.starts_with("\r\n")) {
        text.remove_prefix(2);
      } else if (!text.empty()) {
        text.remove_prefix(1);
      }
    }
  }

  void Draw(const Barcode1dCommand& b) {
    const EncodedBarcode code = EncodeBarcode1d(b);
    if (!code.ok) {
      Error("Barcode Error: " + code.error);
      return;
    }
    const Placement place = At(b.x, b.y, b.rotation);
    // The quiet zone, in narrow bars, is blank paper kept before the bars
    // within the symbol, so the bars start that far from the position.
    const int start = b.quietZone.value_or(0) * b.narrow;
    int u = start;
    for (int c = 0; c < code.columns;) {
      const uint8_t bar = code.modules[static_cast<size_t>(c)];
      int run = 1;
      while (c + run < code.columns && code.modules[static_cast<size_t>(c + run)] == bar) ++run;
      // Codes of two widths: a run of one module is narrow, longer is wide.
      const int width = code.twoWidths ? (run > 1 ? b.wide : b.narrow) : run * b.narrow;
      if (bar) place.Fill(u, 0, width, b.height, Ink::Set);
      u += width;
      c += run;
    }
    if (b.hri) HumanReadable(place, code.humanText, 0, u + start, b.height + 4);
  }

  void Draw(const Barcode2dCommand& b) {
    const EncodedBarcode code = EncodeBarcode2d(b);
    if (!code.ok) {
      Error("Barcode Error: " + code.error);
      return;
    }
    if (b.type == 'M') {
      At(b.x, b.y, 0).Stamp(code.picture, 0, 0, 1, 1, Ink::Set);
      return;
    }
    const int mw = b.type == 'Q' ? b.size : b.moduleWidth;
    const int mh = b.type == 'Q' ? b.size : b.barHeight;
    const int width = code.columns * mw;
    const int height = code.rows * mh;
    const bool centered = b.type == 'P' && b.centered;
    const int u0 = centered ? -width / 2 : 0;
    const int v0 = centered ? -height / 2 : 0;
    const Placement place = At(b.x, b.y, b.rotation);
    for (int r = 0; r < code.rows; ++r) {
      for (int c = 0; c < code.columns;) {
        const size_t at = static_cast<size_t>(r) * code.columns;
        if (!code.modules[at + c]) {
          ++c;
          continue;
        }
        int run = 1;
        while (c + run < code.columns && code.modules[at + c + run]) ++run;
        place.Fill(u0 + c * mw, v0 + r * mh, run * mw, mh, Ink::Set);
        c += run;
      }
    }
    if (b.type == 'P' && b.hri) HumanReadableBlock(place, b.data, u0, width, v0 + height + 4);
  }

  // The two corners name a half-open rectangle, in either order:
  // "BD10,20,30,25,O" inks x 10 to 29 and y 20 to 24, 20 x 5 dots.
  void Draw(const BlockDrawCommand& b) {
    const int x0 = std::min(b.x1, b.x2) + settings_.marginX;
    const int x1 = std::max(b.x1, b.x2) + settings_.marginX;
    const int y0 = std::min(b.y1, b.y2) + settings_.marginY;
    const int y1 = std::max(b.y1, b.y2) + settings_.marginY;
    switch (b.mode) {
      case 'O':
        canvas_.Fill(x0, y0, x1, y1, Ink::Set);
        break;
      case 'E':
        canvas_.Fill(x0, y0, x1, y1, Ink::Clear);
        break;
      case 'D':
        canvas_.Fill(x0, y0, x1, y1, Ink::Invert);
        break;
      case 'B': {
        const int n = b.optional;
        if (2 * n >= x1 - x0 || 2 * n >= y1 - y0) {
          canvas_.Fill(x0, y0, x1, y1, Ink::Set);
          break;
        }
        canvas_.Fill(x0, y0, x1, y0 + n, Ink::Set);
        canvas_.Fill(x0, y1 - n, x1, y1, Ink::Set);
        canvas_.Fill(x0, y0 + n, x0 + n, y1 - n, Ink::Set);
        canvas_.Fill(x1 - n, y0 + n, x1, y1 - n, Ink::Set);
        break;
      }
      default: {
        // A slanted stroke from the start to the end point, `n` dots wide
        // along each line.
        const int sx = b.x1 + settings_.marginX, sy = b.y1 + settings_.marginY;
        const int ex = b.x2 + settings_.marginX, ey = b.y2 + settings_.marginY;
        const int rows = std::max(1, std::abs(ey - sy));
        const int step = ey >= sy ? 1 : -1;
        // Rows past the label are not drawn, however far the stroke runs.
        for (int i = 0; i < rows; ++i) {
          const int y = sy + i * step;
          if (y < 0 || y >= settings_.length + settings_.marginY + 1) continue;
          const int x = sx + static_cast<int>(static_cast<int64_t>(ex - sx) * i / rows);
          canvas_.Fill(x, y, x + b.optional, y + 1, Ink::Set);
        }
        break;
      }
    }
  }

  void Draw(const ImageRecallCommand& r) {
    const auto it = images_.find(r.name);
    if (it == images_.end()) {
      Error("Image Error: no image '" + r.name + "' stored");
      return;
    }
    At(r.x, r.y, 0).Stamp(it->second, 0, 0, 1, 1, Ink::Set);
  }

  // Settings, printing and storing are handled before drawing.
  template <typename Other>
  void Draw(const Other&) {}

  Canvas& canvas_;
  const LabelSettings& settings_;
  Glyphs& glyphs_;
  const std::map<std::string, Bitmap>& images_;
  std::vector<ScriptError>& errors_;
  int line_ = 0;
  size_t offset_ = 0;
  int international_ = 0;
  int codeTable_ = 0;

 public:
  // The character set as it stands at the end of a label, for the next.
  std::pair<int, int> CharacterSet() const { return {international_, codeTable_}; }
  void SetCharacterSet(std::pair<int, int> set) { std::tie(international_, codeTable_) = set; }
};

QRgb InkOf(const LabelSettings& settings) {
  // Lighter ink for lower densities, so a "SD" shows on screen.
  if (settings.density < 0) return qRgb(0, 0, 0);
  const int grey = (20 - settings.density) * 8;
  return qRgb(grey, grey, grey);
}

}  // namespace

RenderResult LabelRenderer::Render(const ParsedScript& script) {
  return Render(script, std::nullopt);
}

RenderResult LabelRenderer::Render(std::string_view script, size_t focus) {
  return Render(ParseScript(script), focus);
}

RenderResult LabelRenderer::RenderScript(std::string_view script, std::optional<size_t> focus) {
  return Render(ParseScript(script), focus);
}

RenderResult LabelRenderer::Render(const ParsedScript& script, std::optional<size_t> focus) {
  state_->glyphs.Trim();
  RenderResult result;
  result.errors = script.errors;
  LabelSettings settings;
  std::pair<int, int> characterSet{0, 0};
  std::vector<const ParsedCommand*> body;
  int lastLine = 0;
  size_t lastOffset = 0;

  // The focus lies in the label after the last "P" before it.
  size_t focusLabel = 0;
  if (focus) {
    for (const ParsedCommand& parsed : script.commands)
      if (parsed.offset < *focus && std::holds_alternative<PrintCommand>(parsed.command))
        ++focusLabel;
  }
  auto nearFocus = [&](size_t index) {
    return index + kFocusAround >= focusLabel && index <= focusLabel + kFocusAround;
  };

  size_t dropped = 0;
  auto finish = [&](int sets, int copies, bool printed, int line, size_t offset) {
    if (!focus && result.labels.size() >= maxLabels_) {
      ++dropped;
      body.clear();
      return;
    }
    if (focus && !nearFocus(result.labels.size())) {
      // Listed, not drawn; a character set chosen in it still holds after.
      for (const ParsedCommand* command : body)
        if (const auto* c = std::get_if<CharacterSetCommand>(&command->command))
          characterSet = {c->international, c->codeTable};
      result.labels.push_back({QImage(), sets, copies, printed, line, settings, offset});
      body.clear();
      return;
    }
    LabelSettings used = settings;
    if (used.width > kMaxWidth || used.length > kMaxLength) {
      result.errors.push_back({line,
                               "Preview: label of " + std::to_string(used.width) + " x " +
                                   std::to_string(used.length) + " dots cut to " +
                                   std::to_string(kMaxWidth) + " x " + std::to_string(kMaxLength),
                               offset});
      used.width = std::min(used.width, kMaxWidth);
      used.length = std::min(used.length, kMaxLength);
    }
    Canvas canvas(used.width, used.length, used.bottom, state_->bits);
    LabelPainter painter(canvas, used, state_->glyphs, images_, result.errors);
    painter.SetCharacterSet(characterSet);
    for (const ParsedCommand* command : body) painter.Draw(*command);
    characterSet = painter.CharacterSet();
    result.labels.push_back(
        {canvas.ToImage(InkOf(used)), sets, copies, printed, line, used, offset});
    body.clear();
  };

  for (const ParsedCommand& parsed : script.commands) {
    const Command& command = parsed.command;
    lastLine = parsed.line;
    lastOffset = parsed.offset;
    if (const auto* c = std::get_if<WidthCommand>(&command)) {
      settings.width = c->dots;
    } else if (const auto* c = std::get_if<LengthCommand>(&command)) {
      settings.length = c->dots;
      settings.gap = c->gap;
      settings.continuous = c->continuous;
    } else if (const auto* c = std::get_if<MarginCommand>(&command)) {
      settings.marginX = c->x;
      settings.marginY = c->y;
    } else if (const auto* c = std::get_if<DirectionCommand>(&command)) {
      settings.bottom = c->bottom;
    } else if (const auto* c = std::get_if<SpeedCommand>(&command)) {
      settings.speed = c->speed;
    } else if (const auto* c = std::get_if<DensityCommand>(&command)) {
      settings.density = c->density;
    } else if (const auto* c = std::get_if<ImageStoreCommand>(&command)) {
      std::string error;
      if (!AddImage(c->name, c->data, &error)) {
        result.errors.push_back({parsed.line, error, parsed.offset});
      }
    } else if (const auto* c = std::get_if<PrintCommand>(&command)) {
      finish(c->sets, c->copies, true, parsed.line, parsed.offset);
    } else {
      body.push_back(&parsed);
    }
  }
  if (!body.empty()) finish(0, 0, false, lastLine, lastOffset);
  if (!result.labels.empty()) result.focusLabel = std::min(focusLabel, result.labels.size() - 1);
  if (dropped > 0) {
    result.errors.push_back(
        {lastLine, "Preview: " + std::to_string(dropped) + " more labels not drawn", lastOffset});
  }
  std::stable_sort(result.errors.begin(), result.errors.end(),
                   [](const ScriptError& a, const ScriptError& b) { return a.line < b.line; });
  if (result.errors.size() > kMaxErrors) {
    const size_t more = result.errors.size() - kMaxErrors;
    result.errors.resize(kMaxErrors);
    result.errors.push_back({result.errors.back().line,
                             "Preview: " + std::to_string(more) + " more errors not listed",
                             result.errors.back().offset});
  }
  return result;
}

}  // namespace qm::preview
