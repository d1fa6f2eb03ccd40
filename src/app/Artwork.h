#pragma once

#include <QImage>
#include <cstdint>

namespace qm::artwork {

// Pixels compiled into the program (premultiplied ARGB32, one word a pixel,
// row after row), made at build time from resources/*.png.
struct EmbeddedImage {
  int width;
  int height;
  const std::uint32_t* pixels;
};

extern const EmbeddedImage kPicture;
extern const EmbeddedImage kIcon;

// Wraps the compiled-in pixels without copying or decoding them.
inline QImage ToImage(const EmbeddedImage& image) {
  return QImage(reinterpret_cast<const uchar*>(image.pixels), image.width, image.height,
                image.width * 4, QImage::Format_ARGB32_Premultiplied);
}

}  // namespace qm::artwork
