// The download behind the main window's button, end to end: penemu as the
// pen, real clicks, the folder question and the message boxes answered here.
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "scrivel/downloadflow.h"
#include "scrivel/gdipbutton.h"
#include "lang/languagestrings.h"
#include "scrivel/pagelist.h"
#include "scrivel/scriveldlg.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/emulatedpen.h"
#include "xopp/xoppreader.h"

namespace {

using scrivel::test::DialogAnswerer;
using scrivel::test::EmulatedPen;

class DownloadFlowTest : public testing::Test {
 protected:
  void SetUp() override { g_strings.Load(SCRIVEL_APP_DIR, 10001, 10008); }

  // Clicks button 1001 and waits until the flow has ended.
  void DownloadWith(CScrivelDlg& dlg, std::optional<QString> folder) {
    m_defaultNames.clear();
    dlg.DownloadFlow()->m_askFolder = [this, folder](const QString& name) {
      m_defaultNames << name;
      return folder;
    };
    QSignalSpy ended(dlg.DownloadFlow(), &CDownloadFlow::finished);
    QTest::mouseClick(dlg.findChild<CGdipButton*>(QStringLiteral("1001")), Qt::LeftButton);
    ASSERT_TRUE(ended.wait(120000));
  }
  QString EditText(CScrivelDlg& dlg) { return dlg.findChild<QLineEdit*>(QStringLiteral("1017"))->text(); }

  DialogAnswerer m_answers;
  QStringList m_defaultNames;
};

int JpgCount(const std::string& folder) {
  int n = 0;
  for (int page = 1; std::filesystem::exists(folder + "/" + std::to_string(page) + ".jpg"); ++page) ++n;
  return n;
}

TEST_F(DownloadFlowTest, SevenPagesTwoScreensThenAppendThenErase) {
  EmulatedPen pen("usb", {"--notes", "7"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CScrivelDlg dlg;
  dlg.show();

  m_answers.Plan(QMessageBox::No);  // keep the pen's notes
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("first")));
  EXPECT_EQ(JpgCount(pen.dir().file("first")), 7);
  const QImage page1(QString::fromStdString(pen.dir().file("first/1.jpg")));
  EXPECT_EQ(page1.size(), QSize(222, 271));
  EXPECT_EQ(g_pageBitmaps.Count(), 7);
  EXPECT_EQ(dlg.TotalScreens(), 2);
  EXPECT_EQ(EditText(dlg), "1/2");
  ASSERT_EQ(m_answers.texts().size(), 1);
  EXPECT_EQ(m_answers.texts()[0], g_strings.Get(10001));
  EXPECT_EQ(m_answers.titles()[0], "Scrivel");
  ASSERT_EQ(m_defaultNames.size(), 1);
  EXPECT_TRUE(QRegularExpression("^\\d{4}(-\\d\\d){5}$").match(m_defaultNames[0]).hasMatch());
  // The first thumbnail is on screen at (100, 2).
  const QImage shown = dlg.grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(100 + 5, 2 + 5)), QColor(page1.pixel(5, 5)).toRgb()) ;

  // A second download in the same run appends its pages; this time erase.
  m_answers.Plan(QMessageBox::Yes);
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("second")));
  EXPECT_EQ(JpgCount(pen.dir().file("second")), 7);
  EXPECT_EQ(g_pageBitmaps.Count(), 14);
  EXPECT_EQ(EditText(dlg), "1/3");

  // The pen is empty now.
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("third")));
  ASSERT_EQ(m_answers.texts().size(), 3);
  EXPECT_EQ(m_answers.texts()[2], g_strings.Get(10002));
  EXPECT_TRUE(m_defaultNames.empty()) << "no folder is asked for an empty pen";
  EXPECT_FALSE(std::filesystem::exists(pen.dir().file("third")));
  EXPECT_EQ(g_pageBitmaps.Count(), 14);
}

TEST_F(DownloadFlowTest, CancelledFolderWritesNothingAndOffersNoErase) {
  EmulatedPen pen("serial", {"--text", "one page\fand another"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CScrivelDlg dlg;
  dlg.show();
  DownloadWith(dlg, std::nullopt);
  EXPECT_EQ(m_defaultNames.size(), 1);
  EXPECT_TRUE(m_answers.texts().isEmpty()) << m_answers.texts().join("|").toStdString();
  EXPECT_EQ(g_pageBitmaps.Count(), 0);
  EXPECT_EQ(EditText(dlg), "1/1");

  // The pen kept its notes: the next download finds them.
  m_answers.Plan(QMessageBox::No);
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("pages")));
  EXPECT_EQ(JpgCount(pen.dir().file("pages")), 2);
}

TEST_F(DownloadFlowTest, FailuresAreShownAndUnsavedPagesKeepThePen) {
  {
    scrivel::test::TempDir empty;
    setenv("XDG_CONFIG_HOME", empty.path().c_str(), 1);
    CScrivelDlg dlg;
    QTest::mouseClick(dlg.findChild<CGdipButton*>(QStringLiteral("1001")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.texts().size(), 1, 10000);
    EXPECT_TRUE(m_answers.texts()[0].contains("No pen is configured")) << m_answers.texts()[0].toStdString();
    EXPECT_FALSE(dlg.DownloadFlow()->running());
  }
  EmulatedPen pen("usb", {"--notes", "2"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  scrivel::test::WriteFile(pen.dir().file("blocked"), "a file, not a folder");
  CScrivelDlg dlg;
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("blocked")));
  ASSERT_EQ(m_answers.texts().size(), 2);
  EXPECT_TRUE(m_answers.texts()[1].contains("Pages 1, 2 could not be saved"));
  EXPECT_NE(m_answers.texts()[1], g_strings.Get(10001)) << "no erase offer";
  m_answers.Plan(QMessageBox::No);
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("ok")));
  EXPECT_EQ(JpgCount(pen.dir().file("ok")), 2) << "the pen still held its pages";
}

// What is on disk and on screen when the erase question is asked.
struct AtEraseQuestion {
  bool asked = false;
  std::string pdfInfo;   // pdfinfo's report on the PDF
  int xoppPages = -1;    // pages of the .xopp as read back
  bool xoppComplete = false;
  int progressWindows = -1;  // progress windows still shown
};

TEST_F(DownloadFlowTest, DocumentsAreOnDiskBeforeTheEraseQuestionWhichStandsAlone) {
  EmulatedPen pen("usb", {"--notes", "3", "--seed", "5"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CScrivelDlg dlg;
  dlg.show();
  const std::string folder = pen.dir().file("2026-12-09-02-00-00");
  AtEraseQuestion seen;
  m_answers.OnEachBox([&](QMessageBox* box) {
    if (box->text() != g_strings.Get(10001)) return;
    seen.asked = true;
    seen.pdfInfo = scrivel::test::Run("/usr/bin/pdfinfo", {folder + "/2026-12-09-02-00-00.pdf"}).out;
    const XoppReadResult xopp = ReadXopp(QString::fromStdString(folder + "/2026-12-09-02-00-00.xopp"));
    seen.xoppPages = static_cast<int>(xopp.doc.pages.size());
    seen.xoppComplete = xopp.complete;
    seen.progressWindows = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<QProgressDialog*>(window) != nullptr && window->isVisible()) ++seen.progressWindows;
  });
  m_answers.Plan(QMessageBox::Yes);
  DownloadWith(dlg, QString::fromStdString(folder));
  ASSERT_TRUE(seen.asked);
  EXPECT_NE(seen.pdfInfo.find("Pages:           3\n"), std::string::npos) << seen.pdfInfo;
  EXPECT_NE(seen.pdfInfo.find("595 x 842 pts (A4)"), std::string::npos) << seen.pdfInfo;
  EXPECT_EQ(seen.xoppPages, 3);
  EXPECT_TRUE(seen.xoppComplete);
  EXPECT_EQ(seen.progressWindows, 0) << "the progress window is closed before the question";
  EXPECT_EQ(JpgCount(folder), 3);
}

TEST_F(DownloadFlowTest, ADocumentThatCannotBeWrittenKeepsThePen) {
  EmulatedPen pen("usb", {"--notes", "2"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CScrivelDlg dlg;
  // A folder where the .xopp should go: it cannot be written.
  const std::string folder = pen.dir().file("notes");
  std::filesystem::create_directories(folder + "/notes.xopp");
  DownloadWith(dlg, QString::fromStdString(folder));
  ASSERT_EQ(m_answers.texts().size(), 1);
  const QString text = m_answers.texts()[0];
  EXPECT_TRUE(text.contains("These documents could not be written")) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromStdString(folder + "/notes.xopp"))) << text.toStdString();
  EXPECT_TRUE(text.contains("The pen was not erased")) << text.toStdString();
  EXPECT_EQ(JpgCount(folder), 2) << "the pictures are kept";
  m_answers.Plan(QMessageBox::No);
  DownloadWith(dlg, QString::fromStdString(pen.dir().file("ok")));
  EXPECT_EQ(JpgCount(pen.dir().file("ok")), 2) << "the pen still held its pages";
  EXPECT_TRUE(std::filesystem::exists(pen.dir().file("ok/ok.xopp")));
}

TEST_F(DownloadFlowTest, ACutOffDownloadSavesTheWholePagesWithoutAnEraseOffer) {
  // Six notes fill 3,249 packets: the link drops about half-way.
  EmulatedPen pen("usb", {"--notes", "6", "--seed", "3", "--disconnect-after", "1700"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CScrivelDlg dlg;
  const std::string folder = pen.dir().file("pages");
  DownloadWith(dlg, QString::fromStdString(folder));
  ASSERT_EQ(m_answers.texts().size(), 1) << "one message, no erase offer";
  const QString text = m_answers.texts()[0];
  EXPECT_TRUE(text.contains("time-out")) << text.toStdString();
  EXPECT_TRUE(text.contains("The pen was not erased")) << text.toStdString();
  const int saved = JpgCount(folder);
  EXPECT_GE(saved, 2);
  EXPECT_LT(saved, 6);
}

}  // namespace
