#include "scrivel/imapi.h"

#include <QApplication>
#include <QEventLoop>
#include <QList>
#include <QMessageBox>
#include <QStandardPaths>

#include <csignal>
#include <new>

namespace {

const QString kMailProgramName = QStringLiteral("xdg-email");

// The mail program found on PATH: taken by the first mailer that needs it,
// let go by a mailer's destruction.
QString g_strMailProgram;
// Whether mail can be sent: -1 not yet tested, 0 no, 1 yes.
int g_nMailAvailable = -1;

// Disables every visible window of the application for as long as it lives
// and enables them again afterwards; the owner then gets the focus back.
class DisabledWindows {
 public:
  explicit DisabledWindows(QWidget* owner) : m_owner(owner) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible() || !window->isEnabled()) continue;
      window->setEnabled(false);
      m_windows << window;
    }
  }
  ~DisabledWindows() {
    for (const QPointer<QWidget>& window : m_windows)
      if (window) window->setEnabled(true);
    if (m_owner && m_owner->isVisible()) {
      m_owner->activateWindow();
      m_owner->setFocus();
    }
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  QPointer<QWidget> m_owner;
  QList<QPointer<QWidget>> m_windows;
};

}  // namespace

CMapiMailer::CMapiMailer(QWidget* owner) : m_owner(owner) {
  if (g_strMailProgram.isEmpty()) g_strMailProgram = QStandardPaths::findExecutable(kMailProgramName);
  if (g_strMailProgram.isEmpty()) {
    Tell(QStringLiteral("Mail cannot be sent: the program \"%1\" was not found. Install the package "
                        "xdg-utils to mail pages from Scrivel.")
             .arg(kMailProgramName));
    m_nError = kMailLibraryMissing;
  }
}

CMapiMailer::~CMapiMailer() { g_strMailProgram.clear(); }

bool CMapiMailer::IsMailAvailable() {
  if (g_nMailAvailable == -1)
    g_nMailAvailable = QStandardPaths::findExecutable(kMailProgramName).isEmpty() ? 0 : 1;
  return g_nMailAvailable != 0;
}

QString CMapiMailer::MailProgram() { return g_strMailProgram; }

bool CMapiMailer::AddAttachment(const QString& path, const QString& name) {
  try {
    m_attachments.push_back(Attachment{path, name, 0});
  } catch (const std::bad_alloc&) {
    m_nError = kAttachmentsFull;
    return false;
  }
  return true;
}

void CMapiMailer::SetSubject(const QString& subject) { m_strSubject = subject; }

bool CMapiMailer::Send(unsigned long flags) {
  // xdg-email has one way of working: it opens the compose window, which is
  // what the flags ask for; there is nothing to choose.
  static_cast<void>(flags);
  if (m_nError == kMailLibraryMissing || g_strMailProgram.isEmpty()) return false;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The note text holds one blank for each attachment to be rendered at.
  const int nLength = static_cast<int>(m_strNoteText.size());
  for (std::size_t k = 0; k < m_attachments.size(); ++k) {
    m_strNoteText += QLatin1Char(' ');
    m_attachments[k].position = nLength + static_cast<int>(k);
  }

  QStringList arguments{QStringLiteral("--utf8")};
  if (!m_strSubject.isEmpty()) arguments << QStringLiteral("--subject") << m_strSubject;
  if (!m_strNoteText.isEmpty()) arguments << QStringLiteral("--body") << m_strNoteText;
  for (const Attachment& attachment : m_attachments) arguments << QStringLiteral("--attach") << attachment.path;
  m_lastArguments = arguments;

  const SendResult result = RunMailProgram(arguments);
  QApplication::restoreOverrideCursor();

  if (result.outcome != SendOutcome::Failure) return true;
  if (m_nError == kSendFunctionMissing)
    Tell(QStringLiteral("Mail cannot be sent: the mail program \"%1\" could not be started (%2).")
             .arg(g_strMailProgram, result.reason));
  else
    Tell(QStringLiteral("Sending the mail failed: %1.").arg(result.reason));
  return false;
}

CMapiMailer::SendResult CMapiMailer::RunMailProgram(const QStringList& arguments) {
  const DisabledWindows disabled(m_owner);

  QProcess process;
  process.setProgram(g_strMailProgram);
  process.setArguments(arguments);
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);

  // Wait for the program in an event loop: the windows stay disabled but
  // keep repainting. Either signal may come before the loop runs.
  QEventLoop loop;
  bool ended = false;
  bool failedToStart = false;
  QObject::connect(&process, &QProcess::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    failedToStart = true;
    ended = true;
    loop.quit();
  });
  process.start();
  if (!ended) loop.exec();

  if (failedToStart) {
    m_nError = kSendFunctionMissing;
    return SendResult{SendOutcome::Failure, process.errorString()};
  }
  return ResultOfExit(process.exitStatus(), process.exitCode());
}

CMapiMailer::SendResult CMapiMailer::ResultOfExit(QProcess::ExitStatus status, int code) {
  if (status == QProcess::CrashExit) {
    if (code == SIGHUP || code == SIGINT || code == SIGTERM) return SendResult{SendOutcome::UserAbort, {}};
    return SendResult{SendOutcome::Failure,
                      QStringLiteral("the mail program stopped unexpectedly (signal %1)").arg(code)};
  }
  switch (code) {
    case 0: return SendResult{SendOutcome::Success, {}};
    case 1: return SendResult{SendOutcome::Failure, QStringLiteral("xdg-email did not accept the request")};
    case 2: return SendResult{SendOutcome::Failure, QStringLiteral("an attachment does not exist")};
    case 3: return SendResult{SendOutcome::Failure, QStringLiteral("no mail program is set up on this desktop")};
    case 4: return SendResult{SendOutcome::Failure, QStringLiteral("the mail program reported an error")};
    case 5: return SendResult{SendOutcome::Failure, QStringLiteral("an attachment cannot be read")};
    default:
      return SendResult{SendOutcome::Failure, QStringLiteral("xdg-email ended with code %1").arg(code)};
  }
}

void CMapiMailer::Tell(const QString& text) const {
  QMessageBox::warning(m_owner, QStringLiteral("Scrivel"), text);
}
