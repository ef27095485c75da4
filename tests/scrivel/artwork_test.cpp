// Every picture the windows use is compiled in, at its size, as 8-bit RGBA
// with real transparency and real content.
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include "resources/resourcepath.h"

namespace {

struct Artwork {
  unsigned id;
  const char* type;
  int size;
};

const Artwork kArtwork[] = {
    {144, "PNG", 64}, {188, "PNG", 64}, {202, "PNG", 64}, {196, "PNG", 64}, {198, "PNG", 64},
    {206, "PNG", 64}, {180, "PNG", 32}, {182, "PNG", 32}, {148, "PNG", 32}, {150, "PNG", 32},
    {152, "PNG", 32}, {154, "PNG", 32}, {156, "PNG", 32}, {168, "PNG", 32}, {170, "PNG", 32},
    {158, "PNG", 32}, {160, "PNG", 32}, {162, "PNG", 32}, {164, "PNG", 32}, {166, "PNG", 32},
    {172, "PNG", 32}, {174, "PNG", 32}, {184, "PNG", 32}, {190, "PNG", 32}, {186, "PNG", 32},
    {192, "PNG", 32}, {194, "PNG", 32}, {200, "PNG", 32}, {204, "PNG", 32},
    {128, "ICON", 64}, {142, "CURSOR", 32},
};

class ArtworkTest : public testing::TestWithParam<Artwork> {};

TEST_P(ArtworkTest, IsAnRgbaPngOfItsSizeWithTransparencyAndContent) {
  const Artwork art = GetParam();
  const QString path = scrivel::ResourcePath(art.id, QString::fromLatin1(art.type));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  const QByteArray bytes = file.readAll();
  // PNG signature, then IHDR: width, height, bit depth 8, colour type 6 (RGBA).
  ASSERT_GE(bytes.size(), 33);
  EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
  EXPECT_EQ(bytes.mid(12, 4), QByteArray("IHDR"));
  EXPECT_EQ(static_cast<unsigned char>(bytes[24]), 8);
  EXPECT_EQ(static_cast<unsigned char>(bytes[25]), 6);

  QImage image;
  ASSERT_TRUE(image.loadFromData(bytes, "PNG"));
  EXPECT_EQ(image.size(), QSize(art.size, art.size));
  EXPECT_TRUE(image.hasAlphaChannel());
  image = image.convertToFormat(QImage::Format_ARGB32);
  int transparent = 0, opaque = 0;
  QList<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 0) ++transparent;
      if (qAlpha(p) == 255) {
        ++opaque;
        if (!colours.contains(p) && colours.size() < 3) colours.append(p);
      }
    }
  EXPECT_GT(transparent, 0) << "no transparent pixel";
  EXPECT_GT(opaque, art.size * art.size / 8) << "hardly any drawing";
  EXPECT_GE(colours.size(), 2) << "a single flat colour is no picture";
}

INSTANTIATE_TEST_SUITE_P(AllPictures, ArtworkTest, testing::ValuesIn(kArtwork),
                         [](const testing::TestParamInfo<Artwork>& info) {
                           return std::string(info.param.type) + std::to_string(info.param.id);
                         });

TEST(ResourcePathTest, NamesTheKindAndTheId) {
  EXPECT_EQ(scrivel::ResourcePath(144, "PNG"), QStringLiteral(":/png/144.png"));
  EXPECT_EQ(scrivel::ResourcePath(128, "ICON"), QStringLiteral(":/icon/128.png"));
  EXPECT_EQ(scrivel::ResourcePath(142, "CURSOR"), QStringLiteral(":/cursor/142.png"));
}

}  // namespace
