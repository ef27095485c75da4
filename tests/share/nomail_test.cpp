// Without xdg-email on PATH: the mail actions write their files, tell the
// user that mail can't be sent, and leave the share dialog open.
#include <QDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "scrivel/gdipbutton.h"
#include "scrivel/imapi.h"
#include "scrivel/saveshare.h"
#include "tests/share/sharetesting.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

class NoMailTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Only an empty folder is searched: no xdg-email anywhere.
    static TempDir root;
    std::filesystem::create_directories(root.file("bin"));
    std::filesystem::create_directories(root.file("tmp"));
    setenv("PATH", root.file("bin").c_str(), 1);
    setenv("TMPDIR", root.file("tmp").c_str(), 1);
  }
};

TEST_F(NoMailTest, MailActionsWriteTheirFileTellTheUserAndKeepTheDialogOpen) {
  struct Case {
    int button;
    const char* written;  // nullptr: nothing to write
  };
  for (const Case& c : {Case{1001, "Note.jpg"}, Case{1002, "Note.pdf"}, Case{1005, nullptr}}) {
    SCOPED_TRACE(c.button);
    // The video is there, as a recording leaves it: only the mail program lacks.
    if (c.button == 1005) {
      ASSERT_TRUE(QDir().mkpath(CSaveShare::MailFolder()));
      WriteFile(CSaveShare::MailFolder().toStdString() + "Note.mp4", "an MP4 of the recording");
    }
    DialogAnswerer answerer;
    CSaveShare dlg(TestPicture(QSize(80, 60)), true);
    dlg.show();
    QTest::mouseClick(dlg.findChild<CGdipButton*>(QString::number(c.button)), Qt::LeftButton);
    EXPECT_FALSE(CMapiMailer::IsMailAvailable());
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(answerer.texts().size(), 1);
    EXPECT_TRUE(answerer.texts()[0].contains("\"xdg-email\" was not found")) << answerer.texts()[0].toStdString();
    EXPECT_EQ(answerer.titles()[0], QStringLiteral("Scrivel"));
    if (c.written != nullptr) {
      EXPECT_TRUE(QFile::exists(CSaveShare::MailFolder() + c.written));
    }
  }
}

}  // namespace
}  // namespace scrivel::test
