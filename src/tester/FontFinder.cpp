#include "tester/FontFinder.h"

namespace qm {
namespace {

constexpr double kNoneCloser = 10000.0;

double Distance(double w, double h, int font, int x, int y) {
  double dw = w - double(kBitmapFontCells[font].width * x);
  double dh = h - double(kBitmapFontCells[font].height * y);
  return dw * dw + dh * dh;
}

}  // namespace

std::optional<FontChoice> FindMostSimilar(float widthMm, float heightMm) {
  const double w = double(widthMm) * 8.0;
  const double h = double(heightMm) * 8.0;
  double best = kNoneCloser;
  std::optional<FontChoice> found;
  for (int f = 0; f <= 6; ++f)
    for (int x = 1; x <= 4; ++x)
      for (int y = 1; y <= 4; ++y)
        if (double d = Distance(w, h, f, x, y); d <= best) {
          best = d;
          found = FontChoice{f, x, y};
        }
  return found;
}

std::optional<FontChoice> FindSimilarAndRound(float widthMm, float heightMm) {
  std::optional<FontChoice> nearest = FindMostSimilar(widthMm, heightMm);
  if (!nearest) return std::nullopt;
  const double w = double(widthMm) * 8.0;
  const double h = double(heightMm) * 8.0;
  double best = kNoneCloser;
  std::optional<FontChoice> found;
  for (int f = nearest->font + 1; f <= 6; ++f)
    for (int x = 1; x < nearest->xMulti; ++x)
      for (int y = 1; y < nearest->yMulti; ++y)
        if (double d = Distance(w, h, f, x, y); d <= best) {
          best = d;
          found = FontChoice{f, x, y};
        }
  return found;
}

std::string FontComparisonJob(const ShownChoice& a, const ShownChoice& b) {
  auto line = [](const char* y, const ShownChoice& c) {
    return std::string("T50,") + y + "," + c.font + "," + c.xMulti + "," + c.yMulti +
           ",0,0,N,N,'TEST148'\r";
  };
  return "SL600,0,C\r" + line("50", a) + line("350", b) + "P1\r";
}

}  // namespace qm
