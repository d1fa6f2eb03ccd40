#pragma once

#include <optional>
#include <string>

namespace qm {

// A bitmap font with its horizontal and vertical multipliers.
struct FontChoice {
  int font = 0;
  int xMulti = 1;
  int yMulti = 1;
  bool operator==(const FontChoice&) const = default;
};

// The cell of bitmap font 0 to 6 in dots.
struct FontCell {
  int width;
  int height;
};
inline constexpr FontCell kBitmapFontCells[] = {{8, 13},  {10, 18}, {14, 22}, {17, 26},
                                                {20, 35}, {28, 44}, {40, 70}};

// The font and multipliers whose character comes nearest a wanted size in
// millimetres. Candidates are tried font by font, then by X and Y multiplier,
// and a later candidate at an equal distance wins; none is found when every
// squared distance in dots exceeds 10000.
std::optional<FontChoice> FindMostSimilar(float widthMm, float heightMm);

// A larger font than the most similar one with smaller multipliers in both
// directions at a similar size: characters drawn from a bigger cell look
// rounder than a small one blown up. None when no candidate qualifies.
std::optional<FontChoice> FindSimilarAndRound(float widthMm, float heightMm);

// The label that prints "TEST148" in both choices, one above the other; each
// choice is given as the three texts the finder shows.
struct ShownChoice {
  std::string font;
  std::string xMulti;
  std::string yMulti;
};
std::string FontComparisonJob(const ShownChoice& mostSimilar, const ShownChoice& similarRound);

}  // namespace qm
