// The share dialog with real clicks: its layout, saving the picture by
// extension, the three mail actions through a fake xdg-email, and the share
// button's run of one dialog per page.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include <unistd.h>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "resources/resourcepath.h"
#include "scrivel/dialogunits.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/saveshare.h"
#include "tests/share/sharetesting.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

class SaveShareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Reset();
    std::filesystem::remove_all(mailFolder);
    g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, scrivel::text::kLastAppText);
  }
  void Click(CSaveShare& dlg, int id) {
    auto* button = dlg.findChild<CGdipButton*>(QString::number(id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  FakeMail& fake = ProcessFakeMail();
  const std::string mailFolder = ProcessTempFolder() + "/FMMAPI";
  const QImage page = TestPicture(QSize(222, 271));
  TempDir dir;
};

TEST_F(SaveShareTest, DialogHasItsCaptionSizeAndFourImageButtons) {
  CSaveShare dlg(page, false);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("分享"));
  EXPECT_EQ(dlg.size(), DluRect(0, 0, 309, 177).size());
  EXPECT_EQ(CSaveShare::MailFolder(), QDir::tempPath() + "/FMMAPI/");
  struct Button {
    int id, x, png;
  };
  const QImage shot = dlg.grab().toImage();
  for (const Button b : {Button{1000, 18, 202}, Button{1001, 91, 196}, Button{1002, 164, 198}, Button{1005, 237, 206}}) {
    SCOPED_TRACE(b.id);
    auto* button = dlg.findChild<CGdipButton*>(QString::number(b.id));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), DluRect(b.x, 7, 54, 39));
    EXPECT_TRUE(button->HasImage());
    // The button shows its picture over the dialog's background.
    const QImage picture(ResourcePath(b.png, "PNG"));
    ASSERT_FALSE(picture.isNull());
    QImage expected(button->size(), QImage::Format_RGB32);
    expected.fill(dlg.palette().color(dlg.backgroundRole()));
    QPainter(&expected).drawImage(0, 0, picture);
    EXPECT_EQ(MaxChannelDifference(shot.copy(button->geometry()), expected), 0);
  }
}

struct SaveCase {
  const char* name;
  const char* readerFormat;  // what QImageReader finds in the file
  double tolerance;          // mean difference; JPEG is lossy
};

TEST_F(SaveShareTest, SavePictureWritesTheFormatOfTheChosenExtension) {
  for (const SaveCase& c : {SaveCase{"page.png", "png", 0}, SaveCase{"page.bmp", "bmp", 0},
                            SaveCase{"page.jpg", "jpeg", 4.0}, SaveCase{"PAGE.PNG", "png", 0}}) {
    SCOPED_TRACE(c.name);
    const QString path = QString::fromStdString(dir.file(c.name));
    CSaveShare dlg(page, false);
    QWidget* owner = nullptr;
    dlg.m_chooseSavePath = [&](QWidget* w) {
      owner = w;
      return path;
    };
    dlg.show();
    dlg.setResult(-1);
    Click(dlg, 1000);
    EXPECT_EQ(owner, &dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), QByteArray(c.readerFormat));
    const QImage saved = reader.read();
    EXPECT_EQ(saved.size(), page.size());
    EXPECT_LE(MeanChannelDifference(saved, page), c.tolerance);
  }
  EXPECT_FALSE(fake.Called());
}

TEST_F(SaveShareTest, CancellingTheSaveDialogSavesNothing) {
  const std::string before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CSaveShare dlg(page, false);
  dlg.m_chooseSavePath = [](QWidget*) { return QString(); };
  dlg.show();
  Click(dlg, 1000);
  std::filesystem::current_path(before);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no Note.jpg in the working folder";
}

TEST_F(SaveShareTest, APictureThatCannotBeSavedIsReportedAndTheDialogStays) {
  DialogAnswerer answerer;
  CSaveShare dlg(page, false);
  const QString path = QString::fromStdString(dir.file("page.unknownformat"));
  dlg.m_chooseSavePath = [&](QWidget*) { return path; };
  dlg.show();
  Click(dlg, 1000);
  EXPECT_TRUE(dlg.isVisible());
  ASSERT_EQ(answerer.texts().size(), 1);
  EXPECT_TRUE(answerer.texts()[0].contains("could not be saved")) << answerer.texts()[0].toStdString();
  EXPECT_FALSE(std::filesystem::exists(path.toStdString()));
}

struct MailCase {
  const char* name;
  int button;
  bool videoReady;
  bool videoPresent;
  QString subject;
  const char* attachment;  // file name in the mail folder; nullptr: none
};

TEST_F(SaveShareTest, MailActionsSendTheirSubjectAndAttachment) {
  const MailCase cases[] = {
      {"picture", 1001, false, false, "Scrivel JEPG Note", "Note.jpg"},
      {"PDF", 1002, false, false, "Scrivel JEPG Note", "Note.pdf"},
      {"video recorded", 1005, true, true, "Scrivel Note MP4", "Note.mp4"},
  };
  for (const MailCase& c : cases) {
    SCOPED_TRACE(c.name);
    fake.Reset();
    std::filesystem::remove_all(mailFolder);
    if (c.videoPresent) WriteFile(mailFolder + "/Note.mp4", "an MP4 of the recording");
    DialogAnswerer answerer;
    CSaveShare dlg(page, c.videoReady);
    dlg.show();
    dlg.setResult(-1);
    Click(dlg, c.button);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_TRUE(answerer.texts().isEmpty()) << answerer.texts().join('|').toStdString();
    QStringList expected{"--utf8", "--subject", c.subject};
    if (c.attachment != nullptr)
      expected << "--body" << " " << "--attach" << QDir::tempPath() + "/FMMAPI/" + c.attachment;
    EXPECT_EQ(fake.Arguments(), expected);
  }
}

TEST_F(SaveShareTest, MailingAVideoNotRecordedSaysSoAndTheDialogStays) {
  const struct {
    const char* name;
    bool videoReady, videoPresent;
  } cases[] = {
      {"nothing recorded", false, false},
      {"an old video, not this run's", false, true},
      {"recorded, but the file is gone", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake.Reset();
    std::filesystem::remove_all(mailFolder);
    if (c.videoPresent) WriteFile(mailFolder + "/Note.mp4", "an MP4 of an earlier run");
    DialogAnswerer answerer;
    CSaveShare dlg(page, c.videoReady);
    dlg.show();
    Click(dlg, 1005);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(answerer.texts().size(), 1);
    EXPECT_EQ(answerer.texts().front(), g_strings.Get(scrivel::text::kNoRecordingYet));
    EXPECT_FALSE(answerer.texts().front().isEmpty());
    EXPECT_TRUE(fake.Arguments().isEmpty()) << "no mail without the video";
  }
}

TEST_F(SaveShareTest, MailedPictureAndPdfShowThePage) {
  {
    CSaveShare dlg(page, false);
    dlg.show();
    Click(dlg, 1001);
  }
  ASSERT_TRUE(fake.Called());
  QImage mailed;
  ASSERT_TRUE(mailed.loadFromData(QByteArray::fromStdString(fake.Attachment(0)), "JPEG"));
  EXPECT_LT(MeanChannelDifference(mailed, page), 4.0);

  fake.Reset();
  {
    CSaveShare dlg(page, false);
    dlg.show();
    Click(dlg, 1002);
  }
  ASSERT_TRUE(fake.Called());
  const std::string pdf = fake.AttachmentPath(0);
  auto info = PdfInfo(pdf);
  EXPECT_EQ(info["Pages"], "1");
  EXPECT_EQ(info["Page size"], "222 x 271 pts");
  EXPECT_EQ(info["Title"], "image sample (C)");
  EXPECT_LT(MeanChannelDifference(RenderPdfPage(pdf, dir.path()), page), 5.0);
}

TEST_F(SaveShareTest, AFailingMailProgramIsShownAndTheDialogCloses) {
  fake.SetExit(4);
  DialogAnswerer answerer;
  CSaveShare dlg(page, false);
  dlg.show();
  Click(dlg, 1001);
  EXPECT_TRUE(fake.Called());
  ASSERT_EQ(answerer.texts().size(), 1);
  EXPECT_EQ(answerer.texts()[0], QStringLiteral("Sending the mail failed: the mail program reported an error."));
  EXPECT_EQ(answerer.titles()[0], QStringLiteral("Scrivel"));
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(SaveShareTest, APdfThatCannotBeWrittenIsNotMailed) {
  // A folder where the PDF should go: the file can't be created.
  std::filesystem::create_directories(mailFolder + "/Note.pdf");
  DialogAnswerer answerer;
  CSaveShare dlg(page, false);
  dlg.show();
  const std::string printed = CaptureStdout([&] { Click(dlg, 1002); });
  EXPECT_EQ(printed.rfind("Error: Couldn't open PDF file '", 0), 0u) << printed;
  EXPECT_FALSE(fake.Called());
  EXPECT_TRUE(dlg.isVisible());
  ASSERT_EQ(answerer.texts().size(), 1);
  EXPECT_TRUE(answerer.texts()[0].contains("could not be written as the PDF file")) << answerer.texts()[0].toStdString();
}

TEST_F(SaveShareTest, SharePagesOpensOneDialogPerPageWithAPictureInTurn) {
  struct Case {
    int currentPage;
    std::vector<QRgb> shown;  // the corner colour of each dialog's picture, in order
  };
  auto solid = [](QRgb colour) {
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
  };
  const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
  // The second page's newest history entry has no picture.
  const std::vector<std::optional<QImage>> pictures = {solid(red), std::nullopt, solid(blue), solid(green)};
  for (const Case& c : {Case{2, {red, blue}}, Case{1, {red}}, Case{0, {red}}, Case{3, {red, blue, green}}}) {
    SCOPED_TRACE(c.currentPage);
    QWidget note;
    note.show();
    std::vector<QRgb> shown;
    bool allModal = true, allVideoReady = true;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      auto* dlg = qobject_cast<CSaveShare*>(QApplication::activeModalWidget());
      if (dlg == nullptr || dlg->property("seen").toBool()) return;
      dlg->setProperty("seen", true);
      shown.push_back(dlg->PagePicture().pixel(0, 0));
      allModal = allModal && dlg->isModal() && dlg->parentWidget() == &note;
      allVideoReady = allVideoReady && dlg->VideoReady();
      dlg->reject();
    });
    closer.start(10);
    ShareNotePages(&note, pictures, c.currentPage, true);
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(allModal);
    EXPECT_TRUE(allVideoReady);
  }
}

}  // namespace
}  // namespace scrivel::test
