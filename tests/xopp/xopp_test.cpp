// The .xopp writer and reader: a round trip keeps every page, stroke and
// image; the XML has Xournal++'s element and attribute order; a truncated
// file gives what precedes the damage; the atomic write replaces a file
// whole or not at all.
#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"
#include "xopp/atomicfile.h"
#include "xopp/gzip.h"
#include "xopp/xoppreader.h"
#include "xopp/xoppwriter.h"

namespace {

QByteArray RedPng() {
  QImage image(8, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  return PngBytes(image);
}

XoppDocument SampleDocument() {
  XoppDocument doc;
  doc.title = QStringLiteral("Notes & <pages>");
  XoppPage first;
  first.width = 400;
  first.height = 300.5;
  first.attributes = {{QStringLiteral("scrivel-time"), QStringLiteral("2026-12-09 10:11:12")}};
  XoppStroke pen;
  pen.colour = QColor(255, 0, 0, 255);
  pen.width = 2.5;
  pen.ts = 12;
  pen.points = {{1.5, 2.25}, {100.25, 200}, {3, 4}};
  first.AddStroke(pen);
  first.AddImage({RedPng(), QRectF(QPointF(10, 20), QPointF(50, 40))});
  XoppStroke eraser;
  eraser.tool = XoppStroke::Tool::Eraser;
  eraser.colour = Qt::white;
  eraser.width = 0.01;
  eraser.fill = 255;
  eraser.points = {{0, 0}, {10, 0}, {10, 10}, {0, 0}};
  first.AddStroke(eraser);
  XoppPage second;
  second.background = QColor(0x10, 0x20, 0x30);
  doc.pages = {first, second};
  return doc;
}

void ExpectSameStroke(const XoppStroke& a, const XoppStroke& b) {
  EXPECT_EQ(a.tool, b.tool);
  EXPECT_EQ(a.colour, b.colour);
  EXPECT_DOUBLE_EQ(a.width, b.width);
  EXPECT_EQ(a.ts, b.ts);
  EXPECT_EQ(a.fill, b.fill);
  EXPECT_EQ(a.points, b.points);
}

TEST(XoppTest, ARoundTripKeepsEveryPageStrokeAndImage) {
  const XoppDocument doc = SampleDocument();
  const QByteArray bytes = XoppBytes(doc);
  ASSERT_TRUE(bytes.startsWith("\x1f\x8b"));
  const XoppReadResult read = ReadXoppBytes(bytes);
  ASSERT_TRUE(read.complete) << read.error.toStdString();
  EXPECT_EQ(read.doc.title, doc.title);
  ASSERT_EQ(read.doc.pages.size(), 2u);
  for (size_t p = 0; p < 2; ++p) {
    const XoppPage& a = doc.pages[p];
    const XoppPage& b = read.doc.pages[p];
    EXPECT_DOUBLE_EQ(a.width, b.width);
    EXPECT_DOUBLE_EQ(a.height, b.height);
    EXPECT_EQ(a.background, b.background);
    EXPECT_EQ(a.attributes, b.attributes);
    ASSERT_EQ(a.elements.size(), b.elements.size());
    for (size_t e = 0; e < a.elements.size(); ++e) {
      ASSERT_EQ(a.elements[e].index(), b.elements[e].index());
      if (const auto* stroke = std::get_if<XoppStroke>(&a.elements[e])) {
        ExpectSameStroke(*stroke, std::get<XoppStroke>(b.elements[e]));
      } else {
        const auto& image = std::get<XoppImage>(a.elements[e]);
        EXPECT_EQ(image.png, std::get<XoppImage>(b.elements[e]).png);
        EXPECT_EQ(image.rect, std::get<XoppImage>(b.elements[e]).rect);
      }
    }
  }
}

TEST(XoppTest, TheXmlFollowsXournalsOrder) {
  const QString xml = QString::fromUtf8(XoppXml(SampleDocument()));
  EXPECT_TRUE(xml.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<xournal creator=\"")))
      << xml.left(100).toStdString();
  const QStringList inOrder = {
      QStringLiteral("fileversion=\"4\">"),
      QStringLiteral("<title>Notes &amp; &lt;pages&gt;</title>"),
      QStringLiteral("<page width=\"400\" height=\"300.5\" scrivel-time=\"2026-12-09 10:11:12\">"),
      QStringLiteral("<background type=\"solid\" color=\"#ffffffff\" style=\"plain\"/>"),
      QStringLiteral("<layer>"),
      QStringLiteral("<stroke tool=\"pen\" ts=\"12\" color=\"#ff0000ff\" width=\"2.5\">1.5 2.25 100.25 200 3 4</stroke>"),
      QStringLiteral("<image left=\"10\" top=\"20\" right=\"50\" bottom=\"40\">"),
      QStringLiteral("<stroke tool=\"eraser\" color=\"#ffffffff\" width=\"0.01\" fill=\"255\">"),
      QStringLiteral("</layer>"),
      QStringLiteral("<background type=\"solid\" color=\"#102030ff\" style=\"plain\"/>"),
      QStringLiteral("</xournal>")};
  qsizetype at = 0;
  for (const QString& part : inOrder) {
    const qsizetype found = xml.indexOf(part, at);
    EXPECT_GE(found, at) << part.toStdString() << "\n" << xml.left(600).toStdString();
    if (found >= 0) at = found + part.size();
  }
}

TEST(XoppTest, ADamagedFileGivesWhatPrecedesTheDamage) {
  XoppDocument doc = SampleDocument();
  // Enough pages that a cut falls well inside the document.
  for (int i = 0; i < 40; ++i) doc.pages.push_back(doc.pages[0]);
  const QByteArray bytes = XoppBytes(doc);
  struct Case {
    const char* name;
    QByteArray bytes;
  };
  QByteArray flipped = bytes;
  flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x5a);
  const Case cases[] = {{"truncated gzip", bytes.left(bytes.size() / 2)},
                        {"damaged gzip", flipped},
                        {"truncated xml", XoppXml(doc).left(XoppXml(doc).size() / 2)},
                        {"empty", QByteArray()}};
  for (const Case& c : cases) {
    const XoppReadResult read = ReadXoppBytes(c.bytes);
    EXPECT_FALSE(read.complete) << c.name;
    EXPECT_FALSE(read.error.isEmpty()) << c.name;
    EXPECT_LT(read.doc.pages.size(), doc.pages.size()) << c.name;
    if (c.bytes.size() > 1000) {
      EXPECT_GE(read.doc.pages.size(), 5u) << c.name;
    }
  }
}

TEST(XoppTest, GunzipReadsWhatGzipWrote) {
  QByteArray data;
  for (int i = 0; i < 100000; ++i) data += char(i * 7 % 251);
  bool complete = false;
  EXPECT_EQ(GunzipBytes(GzipBytes(data), &complete), data);
  EXPECT_TRUE(complete);
}

TEST(AtomicFileTest, AFileIsReplacedWholeOrNotAtAll) {
  scrivel::test::TempDir dir;
  const QString path = QString::fromStdString(dir.file("doc.xopp"));
  ASSERT_TRUE(WriteFileAtomically(path, QByteArray("first")));
  EXPECT_EQ(scrivel::test::ReadFile(path.toStdString()), "first");
  ASSERT_TRUE(WriteFileAtomically(path, QByteArray("second, longer")));
  EXPECT_EQ(scrivel::test::ReadFile(path.toStdString()), "second, longer");

  // A writer that gives up half way leaves the good file and no temporary one.
  QString error;
  EXPECT_FALSE(WriteFileAtomically(
      path, [](QIODevice& out) { out.write("par"); return false; }, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(scrivel::test::ReadFile(path.toStdString()), "second, longer");
  EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files | QDir::Hidden).size(), 1);
  EXPECT_EQ(QFile(path).permissions() & QFile::ReadOther, QFile::ReadOther);

  // A folder that does not exist: a message naming the path, nothing made.
  const QString missing = QString::fromStdString(dir.file("gone/doc.xopp"));
  EXPECT_FALSE(WriteXopp(missing, SampleDocument(), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("gone"))) << error.toStdString();
  EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
