#pragma once
// The mailer: hands one message (a subject and attachments) to the user's mail
// program, whose compose window lets the user add recipients and send. The
// mail program is reached through `xdg-email` found on PATH, started with an
// argument list (no shell). Order of use: construct; IsMailAvailable;
// AddAttachment (zero or more times); SetSubject; Send. One mailer per
// message; everything runs on the user-interface thread.

#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class CMapiMailer {
 public:
  // The send flags the share actions pass: show the mail program's log-on
  // (1) and compose (8) windows. xdg-email always opens the compose window.
  static constexpr unsigned long MAPI_LOGON_UI = 0x1;
  static constexpr unsigned long MAPI_DIALOG = 0x8;

  // What Error() reports.
  enum MailError {
    kNoError = 0,
    kMailLibraryMissing = 1,   // xdg-email was not found on PATH
    kSendFunctionMissing = 2,  // xdg-email was found but could not be started
    kAttachmentsFull = 5,      // the attachment list could not grow
  };

  // How a run of the mail program ended.
  enum class SendOutcome { Success, UserAbort, Failure };
  struct SendResult {
    SendOutcome outcome = SendOutcome::Failure;
    QString reason;  // for a failure: what went wrong, for the message box
  };

  // Finds xdg-email on PATH unless an earlier mailer already holds it; when
  // it is missing, tells the user (a message box owned by `owner`, caption
  // "Scrivel") and sets error kMailLibraryMissing.
  explicit CMapiMailer(QWidget* owner = nullptr);
  // Lets go of the mail program: the next mailer looks for it again.
  ~CMapiMailer();
  CMapiMailer(const CMapiMailer&) = delete;
  CMapiMailer& operator=(const CMapiMailer&) = delete;

  // Whether mail can be sent at all: xdg-email is on PATH. Tested on the
  // first call; later calls in the process give the same answer.
  static bool IsMailAvailable();

  // Adds the file at `path` (full path). `name`, the file name the recipient
  // should see, is kept but xdg-email always shows the file's own name, so
  // callers attach files already named as they should appear. False (error
  // kAttachmentsFull) only when memory runs out.
  bool AddAttachment(const QString& path, const QString& name);
  void SetSubject(const QString& subject);

  // Appends one blank per attachment to the note text (the message body),
  // then runs the mail program and waits for it, with every window of the
  // application disabled and the wait cursor shown; events keep flowing, so
  // windows repaint. Success and user abort give true; a failure shows a
  // message box (caption "Scrivel") saying why and gives false. Does
  // nothing and gives false after a constructor failure. `flags` are the
  // MAPI send flags (see above).
  bool Send(unsigned long flags);

  int Error() const { return m_nError; }
  const QString& NoteText() const { return m_strNoteText; }
  // The arguments the last Send passed to xdg-email (empty before).
  const QStringList& LastArguments() const { return m_lastArguments; }
  // The full path of the mail program this mailer uses (empty when none).
  static QString MailProgram();

  // Maps how xdg-email ended onto a send result. Exit 0 is success; ended by
  // SIGHUP, SIGINT or SIGTERM (the user closed or interrupted it) is a user
  // abort; its failure codes 1 (bad request), 2 (an attachment is missing),
  // 3 (no mail program set up), 4 (the mail program failed), 5 (an
  // attachment can't be read), any other code and any other signal are
  // failures. For a crash, `code` is the signal number.
  static SendResult ResultOfExit(QProcess::ExitStatus status, int code);

 private:
  struct Attachment {
    QString path;
    QString name;
    int position = 0;  // rendering position in the note text
  };

  SendResult RunMailProgram(const QStringList& arguments);
  void Tell(const QString& text) const;

  QPointer<QWidget> m_owner;
  int m_nError = kNoError;
  QString m_strNoteText;
  QString m_strSubject;
  std::vector<Attachment> m_attachments;
  QStringList m_lastArguments;
};
