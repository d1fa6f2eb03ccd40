#include "app/Artwork.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstring>

namespace qm {
namespace {

// The compiled-in pixels are the PNGs in resources/, decoded.
TEST(Artwork, EmbeddedPixelsAreThePngs) {
  struct Case {
    const char* file;
    const artwork::EmbeddedImage& embedded;
  };
  for (const Case& c : {Case{"picture.png", artwork::kPicture}, Case{"icon.png", artwork::kIcon}}) {
    QImage png(QStringLiteral(QM_RESOURCES_DIR "/") + QString::fromLatin1(c.file));
    ASSERT_FALSE(png.isNull()) << c.file;
    png = png.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage embedded = artwork::ToImage(c.embedded);
    ASSERT_EQ(embedded.size(), png.size()) << c.file;
    // Pixels only: the decoded PNG also carries its colour space.
    for (int y = 0; y < png.height(); ++y)
      ASSERT_EQ(
          std::memcmp(embedded.constScanLine(y), png.constScanLine(y), size_t(png.width()) * 4), 0)
          << c.file << " row " << y;
  }
}

}  // namespace
}  // namespace qm
