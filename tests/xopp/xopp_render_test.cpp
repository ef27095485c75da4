// Debian's xournalpp renders a document we wrote as we draw it: strokes in
// their colour and width, an image at its place and size, eraser squares
// white over what lies beneath, one picture per page.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"
#include "tests/support/xournalrender.h"
#include "xopp/xoppwriter.h"

namespace {

TEST(XoppRenderTest, XournalDrawsOurDocumentAsWeDo) {
  QImage picture(6, 4, QImage::Format_RGB32);
  picture.fill(QColor(0, 0, 200));
  XoppDocument doc;
  doc.title = QStringLiteral("render");
  XoppPage page;
  page.width = 240;
  page.height = 120;
  page.AddImage({PngBytes(picture), QRectF(QPointF(20, 60), QPointF(80, 100))});
  XoppStroke line;
  line.width = 4;
  line.points = {{20, 30}, {120, 20}, {220, 30}};
  page.AddStroke(line);
  XoppStroke square;
  square.tool = XoppStroke::Tool::Eraser;
  square.colour = Qt::white;
  square.width = 0.01;
  square.fill = 255;
  square.points = {{100, 10}, {130, 10}, {130, 40}, {100, 40}, {100, 10}};
  page.AddStroke(square);
  XoppPage second = page;
  second.elements.erase(second.elements.begin());  // no image on page 2
  doc.pages = {page, second};

  scrivel::test::TempDir dir;
  const QString path = QString::fromStdString(dir.file("doc.xopp"));
  ASSERT_TRUE(WriteXopp(path, doc));
  const std::vector<QImage> rendered =
      scrivel::test::RenderWithXournal(path, QString::fromStdString(dir.file("render")));
  ASSERT_EQ(rendered.size(), 2u);

  for (size_t p = 0; p < 2; ++p) {
    QImage expected(240, 120, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
      QPainter painter(&expected);
      painter.setRenderHint(QPainter::Antialiasing);
      if (p == 0) painter.fillRect(QRectF(20, 60, 60, 40), QColor(0, 0, 200));
      painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawPolyline(line.points.data(), int(line.points.size()));
      painter.fillRect(QRectF(100, 10, 30, 30), Qt::white);
    }
    ASSERT_EQ(rendered[p].size(), expected.size()) << p;
    const QImage ours = scrivel::test::InkMask(expected);
    const QImage theirs = scrivel::test::InkMask(rendered[p]);
    EXPECT_GT(scrivel::test::InkCount(theirs), 600) << p;
    EXPECT_LT(scrivel::test::InkMismatch(ours, theirs), 0.02) << p;
    // Erased: nothing of the line is left inside the square.
    EXPECT_EQ(scrivel::test::InkCount(theirs.copy(101, 11, 28, 28)), 0) << p;
  }
}

}  // namespace
