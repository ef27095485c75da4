#include "scrivel/saveshare.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "scrivel/buttontips.h"
#include "scrivel/dialogunits.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/imapi.h"
#include "scrivel/writeimagepdf.h"

using scrivel::DluRect;

namespace {

constexpr QRect kWindowSize = DluRect(0, 0, 309, 177);

const QString kPictureName = QStringLiteral("Note.jpg");
const QString kPdfName = QStringLiteral("Note.pdf");
const QString kVideoName = QStringLiteral("Note.mp4");
const QString kPictureSubject = QStringLiteral("Scrivel JEPG Note");
const QString kVideoSubject = QStringLiteral("Scrivel Note MP4");

}  // namespace

CSaveShare::CSaveShare(const QImage& pagePicture, bool videoReady, QWidget* parent)
    : QDialog(parent), m_chooseSavePath(&CSaveShare::AskSavePath), m_hPageBitmap(pagePicture),
      m_bVideoReady(videoReady) {
  setObjectName(QString::number(IDD));
  setWindowTitle(QStringLiteral("分享"));
  // The layout is fixed in pixels of a 9-point dialog font at 96 DPI.
  QFont dialogFont = font();
  dialogFont.setPixelSize(12);
  setFont(dialogFont);
  setFixedSize(kWindowSize.size());

  // Four buttons of 54 x 39 units in a row at the top, evenly spaced.
  m_btnSavePicture = CGdipButton::Create(this, 1000, DluRect(18, 7, 54, 39));
  m_btnMailPicture = CGdipButton::Create(this, 1001, DluRect(91, 7, 54, 39));
  m_btnMailPdf = CGdipButton::Create(this, 1002, DluRect(164, 7, 54, 39));
  m_btnMailVideo = CGdipButton::Create(this, 1005, DluRect(237, 7, 54, 39));
  using namespace scrivel::text;
  scrivel::SetButtonTips(this, {{1000, 0, kTipSavePicture},
                                {1001, 0, kTipMailPicture},
                                {1002, 0, kTipMailPdf},
                                {1005, 0, kTipMailVideo}});

  connect(m_btnSavePicture, &QAbstractButton::clicked, this, &CSaveShare::OnSavePicture);
  connect(m_btnMailPicture, &QAbstractButton::clicked, this, &CSaveShare::OnMailPicture);
  connect(m_btnMailPdf, &QAbstractButton::clicked, this, &CSaveShare::OnMailPdf);
  connect(m_btnMailVideo, &QAbstractButton::clicked, this, &CSaveShare::OnMailVideo);

  OnInitDialog();
}

CSaveShare::~CSaveShare() = default;

bool CSaveShare::OnInitDialog() {
  const QString png = QStringLiteral("PNG");
  m_btnSavePicture->LoadNormalImage(202, png);
  m_btnMailPicture->LoadNormalImage(196, png);
  m_btnMailPdf->LoadNormalImage(198, png);
  m_btnMailVideo->LoadNormalImage(206, png);
  return true;
}

QString CSaveShare::MailFolder() { return QDir::tempPath() + QStringLiteral("/FMMAPI/"); }

QString CSaveShare::AskSavePath(QWidget* owner) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("jpg"));
  dialog.setNameFilters({QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.png"),
                         QStringLiteral("All Files (*.*)")});
  dialog.selectFile(kPictureName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void CSaveShare::OnSavePicture() {
  scrivel::Trace("进入OnSavePicture函数\n");
  const QString path = m_chooseSavePath ? m_chooseSavePath(this) : QString();
  // Cancelled: nothing is saved.
  if (!path.isEmpty() && !SavePicture(path)) return;
  done(0);
}

void CSaveShare::OnMailPicture() {
  scrivel::Trace("进入OnMailPicture函数\n");
  const QString folder = PrepareMailFolder();
  if (folder.isEmpty()) return;
  const QString path = folder + kPictureName;
  if (!SavePicture(path)) return;
  if (MailFile(path, kPictureName, kPictureSubject)) done(0);
}

void CSaveShare::OnMailPdf() {
  scrivel::Trace("进入OnMailPdf函数\n");
  const QString folder = PrepareMailFolder();
  if (folder.isEmpty()) return;
  const QString jpegPath = folder + kPictureName;
  if (!SavePicture(jpegPath)) return;
  const QString pdfPath = folder + kPdfName;
  if (!WriteImagePdf(QFile::encodeName(jpegPath).constData(), QFile::encodeName(pdfPath).constData())) {
    // Nothing is at the PDF path now; mailing it would send nothing.
    Tell(QStringLiteral("The page could not be written as the PDF file \"%1\", so it was not mailed.")
             .arg(QDir::toNativeSeparators(pdfPath)));
    return;
  }
  if (MailFile(pdfPath, kPdfName, kPictureSubject)) done(0);
}

void CSaveShare::OnMailVideo() {
  scrivel::Trace("进入OnMailVideo函数\n");
  const QString path = MailFolder() + kVideoName;
  // A mail without the video would reach its reader empty: say so instead,
  // and leave the dialog up for another choice.
  if (!m_bVideoReady || !QFile::exists(path)) {
    Tell(g_strings.Get(scrivel::text::kNoRecordingYet));
    return;
  }
  if (MailFile(path, kVideoName, kVideoSubject)) done(0);
}

bool CSaveShare::SavePicture(const QString& path) {
  // The format follows the extension; the picture itself is left as it is.
  if (m_hPageBitmap.save(path)) return true;
  Tell(QStringLiteral("The page picture could not be saved as \"%1\".").arg(QDir::toNativeSeparators(path)));
  return false;
}

QString CSaveShare::PrepareMailFolder() {
  const QString folder = MailFolder();
  if (QDir().mkpath(folder)) return folder;
  Tell(QStringLiteral("The mail folder \"%1\" could not be created.").arg(QDir::toNativeSeparators(folder)));
  return {};
}

bool CSaveShare::MailFile(const QString& attachment, const QString& name, const QString& subject) {
  CMapiMailer mailer(this);
  if (!CMapiMailer::IsMailAvailable()) return false;
  if (!attachment.isEmpty()) mailer.AddAttachment(attachment, name);
  mailer.SetSubject(subject);
  mailer.Send(kSendFlags);
  return true;
}

void CSaveShare::Tell(const QString& text) { QMessageBox::warning(this, QStringLiteral("Scrivel"), text); }

void ShareNotePages(QWidget* parent, const std::vector<std::optional<QImage>>& pictures, int currentPage,
                    bool videoReady) {
  for (int nPage = 0; nPage <= currentPage && nPage < static_cast<int>(pictures.size()); ++nPage) {
    const std::optional<QImage>& picture = pictures[static_cast<std::size_t>(nPage)];
    if (!picture || picture->isNull()) continue;
    CSaveShare dlg(*picture, videoReady, parent);
    dlg.exec();
  }
}
