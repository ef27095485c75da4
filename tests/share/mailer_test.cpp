// The mailer through a fake xdg-email: the arguments it is started with, the
// note text rule, how its end maps onto success, user abort and failure, the
// messages the user sees, and the windows while it runs.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "scrivel/imapi.h"
#include "tests/share/sharetesting.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

using Outcome = CMapiMailer::SendOutcome;

class MailerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Reset();
    WriteFile(attachment, "attached bytes");
  }
  FakeMail& fake = ProcessFakeMail();
  TempDir dir;
  std::string attachment = dir.file("Note.jpg");
};

struct ExitCase {
  QProcess::ExitStatus status;
  int code;
  Outcome outcome;
  const char* reason;  // a part of the failure reason
};

TEST(MailerExitTest, ExitStatusMapsOntoSuccessUserAbortAndFailure) {
  const ExitCase cases[] = {
      {QProcess::NormalExit, 0, Outcome::Success, ""},
      {QProcess::NormalExit, 1, Outcome::Failure, "did not accept"},
      {QProcess::NormalExit, 2, Outcome::Failure, "attachment does not exist"},
      {QProcess::NormalExit, 3, Outcome::Failure, "no mail program is set up"},
      {QProcess::NormalExit, 4, Outcome::Failure, "reported an error"},
      {QProcess::NormalExit, 5, Outcome::Failure, "cannot be read"},
      {QProcess::NormalExit, 77, Outcome::Failure, "code 77"},
      {QProcess::CrashExit, SIGHUP, Outcome::UserAbort, ""},
      {QProcess::CrashExit, SIGINT, Outcome::UserAbort, ""},
      {QProcess::CrashExit, SIGTERM, Outcome::UserAbort, ""},
      {QProcess::CrashExit, SIGSEGV, Outcome::Failure, "stopped unexpectedly"},
      {QProcess::CrashExit, SIGKILL, Outcome::Failure, "stopped unexpectedly"},
  };
  for (const ExitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "status " << c.status << " code " << c.code);
    const CMapiMailer::SendResult result = CMapiMailer::ResultOfExit(c.status, c.code);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_TRUE(result.reason.contains(QString::fromUtf8(c.reason))) << result.reason.toStdString();
  }
}

TEST_F(MailerTest, NoteTextHoldsOneBlankPerAttachment) {
  struct Case {
    int attachments;
    QString body;
  };
  for (const Case& c : {Case{0, ""}, Case{1, " "}, Case{2, "  "}}) {
    SCOPED_TRACE(c.attachments);
    fake.Reset();
    DialogAnswerer answerer;
    CMapiMailer mailer;
    ASSERT_TRUE(CMapiMailer::IsMailAvailable());
    EXPECT_EQ(mailer.Error(), CMapiMailer::kNoError);
    for (int k = 0; k < c.attachments; ++k) EXPECT_TRUE(mailer.AddAttachment(QString::fromStdString(attachment), "Note.jpg"));
    mailer.SetSubject(QStringLiteral("Scrivel JEPG Note"));
    EXPECT_TRUE(mailer.Send(9));
    EXPECT_EQ(mailer.NoteText(), c.body);
    QStringList expected{"--utf8", "--subject", "Scrivel JEPG Note"};
    if (!c.body.isEmpty()) expected << "--body" << c.body;
    for (int k = 0; k < c.attachments; ++k) expected << "--attach" << QString::fromStdString(attachment);
    EXPECT_EQ(fake.Arguments(), expected);
    EXPECT_EQ(mailer.LastArguments(), expected);
    for (int k = 0; k < c.attachments; ++k) EXPECT_EQ(fake.Attachment(k), "attached bytes");
    EXPECT_TRUE(answerer.texts().isEmpty());
  }
}

TEST_F(MailerTest, ArgumentsReachTheProgramUnchangedWithoutAShell) {
  const std::string odd = dir.file("it's a \"note\" $HOME; `x`.jpg");
  WriteFile(odd, "odd");
  DialogAnswerer answerer;
  CMapiMailer mailer;
  mailer.AddAttachment(QString::fromStdString(odd), QStringLiteral("note.jpg"));
  mailer.SetSubject(QStringLiteral("分享 $(date) 'quoted'"));
  EXPECT_TRUE(mailer.Send(9));
  const QStringList arguments = fake.Arguments();
  ASSERT_EQ(arguments.size(), 7);
  EXPECT_EQ(arguments[2], QStringLiteral("分享 $(date) 'quoted'"));
  EXPECT_EQ(arguments[6], QString::fromStdString(odd));
  EXPECT_EQ(fake.Attachment(0), "odd");
}

struct EndCase {
  const char* name;
  int exitCode;           // -1: none set
  const char* signal;     // nullptr: none
  bool missingFile;       // attach a file that doesn't exist
  bool sent;              // what Send returns
  const char* message;    // a part of the message box text; nullptr: no box
};

TEST_F(MailerTest, HowTheMailProgramEndsDecidesTheResultAndTheMessage) {
  const EndCase cases[] = {
      {"success", 0, nullptr, false, true, nullptr},
      {"closed by the user", -1, "TERM", false, true, nullptr},
      {"hung up", -1, "HUP", false, true, nullptr},
      {"no mail program configured", 3, nullptr, false, false,
       "Sending the mail failed: no mail program is set up on this desktop."},
      {"mail program failed", 4, nullptr, false, false, "Sending the mail failed: the mail program reported an error."},
      {"attachment missing", -1, nullptr, true, false, "Sending the mail failed: an attachment does not exist."},
      {"crashed", -1, "SEGV", false, false, "stopped unexpectedly (signal 11)"},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    fake.Reset();
    if (c.exitCode >= 0) fake.SetExit(c.exitCode);
    if (c.signal != nullptr) fake.SetSignal(c.signal);
    DialogAnswerer answerer;
    QWidget owner;
    owner.show();
    CMapiMailer mailer(&owner);
    mailer.AddAttachment(QString::fromStdString(c.missingFile ? dir.file("gone.jpg") : attachment),
                         QStringLiteral("Note.jpg"));
    mailer.SetSubject(QStringLiteral("Scrivel JEPG Note"));
    EXPECT_EQ(mailer.Send(9), c.sent);
    EXPECT_TRUE(fake.Called());
    if (c.message == nullptr) {
      EXPECT_TRUE(answerer.texts().isEmpty()) << answerer.texts().join('|').toStdString();
    } else {
      ASSERT_EQ(answerer.texts().size(), 1);
      EXPECT_TRUE(answerer.texts()[0].contains(QString::fromUtf8(c.message))) << answerer.texts()[0].toStdString();
      EXPECT_EQ(answerer.titles()[0], QStringLiteral("Scrivel"));
    }
  }
}

TEST_F(MailerTest, WindowsAreDisabledWhileTheMailProgramRunsAndEventsKeepFlowing) {
  QWidget owner, other, alreadyOff;
  owner.show();
  other.show();
  alreadyOff.setEnabled(false);
  alreadyOff.show();
  fake.Hold();
  bool released = false, windowsWereOff = false, waitCursor = false;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    if (released || !fake.Called()) return;
    windowsWereOff = !owner.isEnabled() && !other.isEnabled();
    waitCursor = QApplication::overrideCursor() != nullptr &&
                 QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    released = true;
    fake.Release();
  });
  timer.start(10);
  CMapiMailer mailer(&owner);
  mailer.SetSubject(QStringLiteral("Scrivel Note MP4"));
  EXPECT_TRUE(mailer.Send(9));
  EXPECT_TRUE(released) << "the event loop ran while the mail program ran";
  EXPECT_GT(ticks, 0);
  EXPECT_TRUE(windowsWereOff);
  EXPECT_TRUE(waitCursor);
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_TRUE(other.isEnabled());
  EXPECT_FALSE(alreadyOff.isEnabled()) << "a window that was disabled before stays so";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MailerTest, AMailProgramThatCannotStartIsReportedAsInvalid) {
  // An xdg-email whose interpreter doesn't exist: found on PATH, can't run.
  const std::string broken = dir.file("broken-bin");
  WriteFile(broken + "/xdg-email", "#!/nonexistent/interpreter\n");
  std::filesystem::permissions(broken + "/xdg-email", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (broken + ":" + path).c_str(), 1);
  {
    DialogAnswerer answerer;
    CMapiMailer mailer;
    EXPECT_EQ(CMapiMailer::MailProgram(), QString::fromStdString(broken + "/xdg-email"));
    mailer.SetSubject(QStringLiteral("Scrivel Note MP4"));
    EXPECT_FALSE(mailer.Send(9));
    EXPECT_EQ(mailer.Error(), CMapiMailer::kSendFunctionMissing);
    ASSERT_EQ(answerer.texts().size(), 1);
    EXPECT_TRUE(answerer.texts()[0].contains(QStringLiteral("could not be started"))) << answerer.texts()[0].toStdString();
  }
  setenv("PATH", path.c_str(), 1);
  // The next mailer looks for the program again.
  CMapiMailer mailer;
  EXPECT_EQ(CMapiMailer::MailProgram(), QString::fromStdString(fake.binDir() + "/xdg-email"));
}

}  // namespace
}  // namespace scrivel::test
