#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "preview/Pcx.h"

namespace qm::preview {

// The dot size of a bitmap font's character cell ("T" command fonts). The
// seven fonts the font finder searches are the printer's; the others are
// our choice: 7 to 9 continue the series, the two-byte fonts are square
// cells at their usual sizes (a single-byte character takes half of one).
struct FontCell {
  int width = 0;
  int height = 0;
};
FontCell CellOfFont(char font);

// Glyphs drawn with FreeType from the fonts of the system (DejaVu), kept
// once drawn. One instance per thread: FreeType faces are not shared.
class Glyphs {
 public:
  Glyphs();
  ~Glyphs();
  Glyphs(const Glyphs&) = delete;
  Glyphs& operator=(const Glyphs&) = delete;

  // False with a reason when no usable font was found.
  bool Ready(std::string* why = nullptr) const;

  // A character in a bitmap font cell of width x height dots (before the
  // multipliers). A character no font has is an empty box.
  const Bitmap& Cell(char32_t c, int width, int height);

  // A scalable-font character `width` x `height` dots: the bitmap with its
  // origin offset (left of the pen, top below the line's top) and advance.
  struct Vector {
    Bitmap bitmap;
    int left = 0;
    int top = 0;
    int advance = 0;
  };
  const Vector& Scalable(char32_t c, int width, int height, bool bold, bool italic);

  // Forgets the glyphs drawn so far once there are many of them, so a long
  // session of changing sizes does not keep every size ever seen. Glyphs
  // handed out before are invalid afterwards.
  void Trim();

 private:
  struct Faces;
  std::unique_ptr<Faces> faces_;
  std::map<std::tuple<char32_t, int, int>, Bitmap> cells_;
  std::map<std::tuple<char32_t, int, int, int>, Vector> vectors_;
};

}  // namespace qm::preview
