#pragma once
// The share dialog: four image buttons that hand one page of the live note
// on - save its picture to a file, mail the picture as JPEG, mail it as a
// one-page PDF, or mail the last recorded video. Mail goes through the
// user's mail program (CMapiMailer); the files to mail are written into the
// mail folder first.

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class CGdipButton;

class CSaveShare : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 149;
  // The send flags of every mail: log-on and compose windows.
  static constexpr unsigned long kSendFlags = 9;

  // Chooses where OnSavePicture saves, given the share dialog as owner: the
  // chosen path, or an empty string when the user cancels.
  using SavePathChooser = std::function<QString(QWidget* owner)>;

  // `pagePicture` is the page's newest canvas picture; `videoReady` says
  // whether a recording has left "Note.mp4" in the mail folder. A null
  // parent lets the dialog stand alone. Show it with exec().
  CSaveShare(const QImage& pagePicture, bool videoReady, QWidget* parent = nullptr);
  ~CSaveShare() override;

  // Gives the four buttons their pictures; run by the constructor.
  bool OnInitDialog();

  // The folder that mailed files go through: QDir::tempPath() + "/FMMAPI/".
  static QString MailFolder();
  // The save dialog OnSavePicture shows unless a test replaces it: save
  // mode, initial name "Note.jpg", default suffix "jpg", filters "*.bmp",
  // "*.jpg", "*.png" and "All Files (*.*)", overwrite confirmed.
  static QString AskSavePath(QWidget* owner);

  const QImage& PagePicture() const { return m_hPageBitmap; }
  bool VideoReady() const { return m_bVideoReady; }

  // How OnSavePicture asks for the path; AskSavePath unless replaced.
  SavePathChooser m_chooseSavePath;

 public slots:
  // Button 1000: saves the picture where the user chooses, the format taken
  // from the name's extension (.bmp, .jpg, .png). Cancelling saves nothing.
  // Closes the dialog (0); when the picture can't be saved the user is told
  // and the dialog stays open.
  void OnSavePicture();
  // Button 1001: mails the picture as mail folder + "Note.jpg", subject
  // "Scrivel JEPG Note".
  void OnMailPicture();
  // Button 1002: mails the picture as mail folder + "Note.pdf" (written from
  // "Note.jpg"), subject "Scrivel JEPG Note". A PDF that can't be written is
  // not mailed: the user is told and the dialog stays open.
  void OnMailPdf();
  // Button 1005: mails mail folder + "Note.mp4" when a recording left it
  // there, subject "Scrivel Note MP4". With nothing recorded the user is
  // told so and the dialog stays open.
  void OnMailVideo();

  // Every mail action writes first, then asks for the mail program: without
  // one (the user is told by the mailer) the dialog stays open; once the
  // mail program has run, successfully or not, the dialog closes (0).

 private:
  // Saves the picture to `path` in the format of its extension; false when
  // that fails (the user has been told).
  bool SavePicture(const QString& path);
  // The mail folder, created when missing; empty (the user told) on failure.
  QString PrepareMailFolder();
  // Mails `attachment` (none when empty) with `subject`; false when no mail
  // program is available and the dialog should stay open.
  bool MailFile(const QString& attachment, const QString& name, const QString& subject);
  void Tell(const QString& text);

  QImage m_hPageBitmap;
  bool m_bVideoReady;
  CGdipButton* m_btnSavePicture;  // 1000
  CGdipButton* m_btnMailPicture;  // 1001
  CGdipButton* m_btnMailPdf;      // 1002
  CGdipButton* m_btnMailVideo;    // 1005
};

// The live note's share button: for each page from the first up to and
// including `currentPage` (index from 0), in order, shows a share dialog for
// the page's newest picture, one after the other, each modal over `parent`.
// A page whose newest history entry has no picture (std::nullopt or a null
// image) is skipped. `videoReady` is the recording's video-ready flag.
void ShareNotePages(QWidget* parent, const std::vector<std::optional<QImage>>& pictures, int currentPage,
                    bool videoReady);
