#include "preview/Glyphs.h"

#include "preview/CharacterSets.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace qm::preview {

namespace {

// The fonts are looked up by name through fontconfig, so a system with
// DejaVu in another folder still finds them.
std::string FindFontFile(FcConfig* config, const char* family, const char* style) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string path;
  FcChar8* file = nullptr;
  FcChar8* found = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
      FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
      std::string(reinterpret_cast<char*>(found)) == family) {
    path = reinterpret_cast<char*>(file);
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

Bitmap EmptyBox(int width, int height) {
  Bitmap box{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, 0)};
  if (width < 3 || height < 3) return box;
  const int x0 = 1, x1 = width - 2, y0 = height / 8, y1 = height - 1 - height / 8;
  for (int x = x0; x <= x1; ++x) {
    box.dots[static_cast<size_t>(y0) * width + x] = 1;
    box.dots[static_cast<size_t>(y1) * width + x] = 1;
  }
  for (int y = y0; y <= y1; ++y) {
    box.dots[static_cast<size_t>(y) * width + x0] = 1;
    box.dots[static_cast<size_t>(y) * width + x1] = 1;
  }
  return box;
}

// Copies FreeType's one-bit rendering into `out` at (dx, dy), clipped.
void Blit(const FT_Bitmap& bitmap, Bitmap& out, int dx, int dy) {
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = dy + static_cast<int>(row);
    if (y < 0 || y >= out.height) continue;
    const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const int x = dx + static_cast<int>(col);
      if (x < 0 || x >= out.width) continue;
      if (line[col >> 3] & (0x80 >> (col & 7)))
        out.dots[static_cast<size_t>(y) * out.width + x] = 1;
    }
  }
}

}  // namespace

FontCell CellOfFont(char font) {
  static constexpr std::array<FontCell, 10> kDigits{{{8, 13},
                                                     {10, 18},
                                                     {14, 22},
                                                     {17, 26},
                                                     {20, 35},
                                                     {28, 44},
                                                     {40, 70},
                                                     {48, 80},
                                                     {56, 96},
                                                     {64, 110}}};
  if (font >= '0' && font <= '9') return kDigits[static_cast<size_t>(font - '0')];
  switch (font) {
    case 'a':
      return {16, 16};
    case 'b':
      return {20, 20};
    case 'c':
    case 'd':
    case 'j':
    case 'm':
    case 'n':
      return {24, 24};
    case 'e':
      return {32, 32};
    case 'f':
      return {40, 40};
    default:
      return {24, 24};
  }
}

struct Glyphs::Faces {
  FT_Library library = nullptr;
  FT_Face mono = nullptr;
  // Sans in the four styles: regular, bold, oblique, bold oblique.
  std::array<FT_Face, 4> sans{};
  std::string problem;
  // Faces of other installed fonts, for characters DejaVu lacks (the
  // two-byte tables' Hangul, Hanzi and Kana), found through fontconfig.
  FcConfig* config = nullptr;
  std::map<std::string, FT_Face> others;
  std::map<char32_t, FT_Face> fallbackOf;

  Faces() {
    if (FT_Init_FreeType(&library) != 0) {
      problem = "FreeType did not start";
      return;
    }
    // A configuration of our own, released with the renderer, so nothing of
    // fontconfig outlives it.
    config = FcInitLoadConfigAndFonts();
    auto open = [&](const char* family, const char* style) -> FT_Face {
      const std::string file = config ? FindFontFile(config, family, style) : std::string();
      FT_Face face = nullptr;
      if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face) != 0) {
        problem =
            std::string("font ") + family + " " + style + " not installed (fonts-dejavu-core)";
        return nullptr;
      }
      return face;
    };
    mono = open("DejaVu Sans Mono", "Book");
    sans = {open("DejaVu Sans", "Book"), open("DejaVu Sans", "Bold"),
            open("DejaVu Sans", "Oblique"), open("DejaVu Sans", "Bold Oblique")};
  }

  // An installed font that has `c`, or none.
  FT_Face Fallback(char32_t c) {
    if (auto it = fallbackOf.find(c); it != fallbackOf.end()) return it->second;
    FT_Face face = nullptr;
    if (config && c != kNoCharacter) {
      FcPattern* pattern = FcPatternCreate();
      FcCharSet* wanted = FcCharSetCreate();
      FcCharSetAddChar(wanted, c);
      FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
      FcConfigSubstitute(config, pattern, FcMatchPattern);
      FcDefaultSubstitute(pattern);
      FcResult result;
      FcPattern* match = FcFontMatch(config, pattern, &result);
      FcChar8* file = nullptr;
      FcCharSet* has = nullptr;
      if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
          FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
          FcCharSetHasChar(has, c)) {
        const std::string path = reinterpret_cast<char*>(file);
        auto [it, added] = others.try_emplace(path, nullptr);
        if (added && FT_New_Face(library, path.c_str(), 0, &it->second) != 0) it->second = nullptr;
        face = it->second;
      }
      if (match) FcPatternDestroy(match);
      FcCharSetDestroy(wanted);
      FcPatternDestroy(pattern);
    }
    return fallbackOf[c] = face;
  }

  ~Faces() {
    for (auto& [path, face] : others) {
      if (face) FT_Done_Face(face);
    }
    if (config) FcConfigDestroy(config);
    for (FT_Face face : sans) {
      if (face) FT_Done_Face(face);
    }
    if (mono) FT_Done_Face(mono);
    if (library) FT_Done_FreeType(library);
  }
};

Glyphs::Glyphs() : faces_(std::make_unique<Faces>()) {}
Glyphs::~Glyphs() = default;

bool Glyphs::Ready(std::string* why) const {
  if (why) *why = faces_->problem;
  return faces_->problem.empty();
}

void Glyphs::Trim() {
  constexpr size_t kKept = 4096;
  if (cells_.size() + vectors_.size() > kKept) {
    cells_.clear();
    vectors_.clear();
  }
}

const Bitmap& Glyphs::Cell(char32_t c, int width, int height) {
  const auto key = std::tuple(c, width, height);
  if (auto it = cells_.find(key); it != cells_.end()) return it->second;
  Bitmap cell{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, 0)};
  FT_Face face = faces_->mono;
  FT_UInt index = face && c != kNoCharacter ? FT_Get_Char_Index(face, c) : 0;
  if (index == 0 && c != U' ' && (face = faces_->Fallback(c))) index = FT_Get_Char_Index(face, c);
  if (c == U' ') {
    // nothing to draw
  } else if (index == 0) {
    cell = EmptyBox(width, height);
  } else {
    // The em fills the cell's height with room for descenders; the
    // monospaced advance (0.6 em) fits its width.
    const int ppemY = std::max(1, static_cast<int>(std::lround(height / 1.08)));
    const int ppemX = std::max(1, std::min(ppemY, static_cast<int>(width / 0.62)));
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(ppemX), static_cast<FT_UInt>(ppemY));
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
      const FT_GlyphSlot slot = face->glyph;
      const int advance = static_cast<int>(slot->advance.x >> 6);
      const int baseline = static_cast<int>(std::lround(ppemY * 0.80));
      Blit(slot->bitmap, cell, slot->bitmap_left + (width - advance) / 2,
           baseline - slot->bitmap_top);
    }
  }
  return cells_.emplace(key, std::move(cell)).first->second;
}

const Glyphs::Vector& Glyphs::Scalable(char32_t c, int width, int height, bool bold, bool italic) {
  const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
  const auto key = std::tuple(c, width, height, style);
  if (auto it = vectors_.find(key); it != vectors_.end()) return it->second;
  Vector glyph;
  FT_Face face = faces_->sans[static_cast<size_t>(style)];
  FT_UInt index = face && c != kNoCharacter ? FT_Get_Char_Index(face, c) : 0;
  if (index == 0 && c != U' ' && (face = faces_->Fallback(c))) index = FT_Get_Char_Index(face, c);
  if (face) {
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(width), static_cast<FT_UInt>(height));
  }
  const int ascent = face ? static_cast<int>(face->size->metrics.ascender >> 6) : height;
  if (index == 0 && c != U' ') {
    glyph.bitmap = EmptyBox(std::max(3, width * 6 / 10), height);
    glyph.advance = glyph.bitmap.width + 1;
  } else if (face && FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
    const FT_GlyphSlot slot = face->glyph;
    glyph.bitmap = {static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows),
                    std::vector<uint8_t>(slot->bitmap.width * slot->bitmap.rows, 0)};
    Blit(slot->bitmap, glyph.bitmap, 0, 0);
    glyph.left = slot->bitmap_left;
    glyph.top = ascent - slot->bitmap_top;
    glyph.advance = static_cast<int>(slot->advance.x >> 6);
  }
  return vectors_.emplace(key, std::move(glyph)).first->second;
}

}  // namespace qm::preview
