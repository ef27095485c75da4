#include "scrivel/scriveldlg.h"

#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>
#include <memory>

#include "common/appfolder.h"
#include "common/trace.h"
#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "nibroute/nibroute.h"
#include "resources/resourcepath.h"
#include "scrivel/buttontips.h"
#include "scrivel/dialogunits.h"
#include "scrivel/downloadflow.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/logfont.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/pagelist.h"
#include "scrivel/routereceiver.h"
#include "scrivel/updatecheck.h"
#include "scrivel/windowfit.h"
#include "update/updatesource.h"

using scrivel::DluRect;

namespace {

constexpr QRect kWindowSize = DluRect(0, 0, 463, 349);

}  // namespace

CScrivelDlg::CScrivelDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Scrivel"));
  // Resizable, with a minimise box and no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The layout is fixed in pixels of a 9-point dialog font at 96 DPI.
  QFont dialogFont = font();
  dialogFont.setPixelSize(12);
  setFont(dialogFont);
  resize(kWindowSize.size());

  m_btnNewNote = CGdipButton::Create(this, 1000, DluRect(7, 0, 45, 42));
  m_btnDownload = CGdipButton::Create(this, 1001, DluRect(7, 49, 45, 42));
  m_btnPrevScreen = CGdipButton::Create(this, 1002, DluRect(208, 325, 27, 24));
  m_btnNextScreen = CGdipButton::Create(this, 1005, DluRect(282, 325, 26, 23));

  m_editPageNum = new QLineEdit(this);
  m_editPageNum->setObjectName(QStringLiteral("1017"));
  m_editPageNum->setGeometry(DluRect(236, 320, 40, 27));
  m_editPageNum->setReadOnly(true);
  m_editPageNum->setAlignment(Qt::AlignCenter);
  m_editPageNum->setFrame(false);
  m_editPageNum->setTextMargins(0, 0, 0, 0);
  m_editPageNum->setContentsMargins(0, 0, 0, 0);
  // A read-only edit sits on the window's colour, as a read-only field does.
  QPalette editPalette = m_editPageNum->palette();
  editPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
  m_editPageNum->setPalette(editPalette);

  m_thumbFrame = new QFrame(this);
  m_thumbFrame->setGeometry(DluRect(53, 0, 409, 319));
  m_thumbFrame->setFrameShape(QFrame::Box);
  m_thumbFrame->setFrameShadow(QFrame::Plain);
  m_thumbFrame->setLineWidth(1);
  QPalette framePalette = m_thumbFrame->palette();
  framePalette.setColor(QPalette::WindowText, Qt::black);
  m_thumbFrame->setPalette(framePalette);
  // The frame only draws its border; the window paints the thumbnails inside.
  m_thumbFrame->setAttribute(Qt::WA_TransparentForMouseEvents);

  m_versionLabel = new QLabel(QStringLiteral("Version:V1.10"), this);
  m_versionLabel->setGeometry(DluRect(7, 319, 50, 16));
  // Where the system font runs wider than the layout's, the label grows to
  // the right (into free space) rather than cut its text.
  if (m_versionLabel->sizeHint().width() > m_versionLabel->width())
    m_versionLabel->resize(m_versionLabel->sizeHint().width(), m_versionLabel->height());

  m_hIcon = QIcon(scrivel::ResourcePath(128, QStringLiteral("ICON")));
  g_pageBitmaps.Clear();

  m_download = new CDownloadFlow(this);

  connect(m_btnNewNote, &QAbstractButton::clicked, this, &CScrivelDlg::OnNewNote);
  connect(m_btnDownload, &QAbstractButton::clicked, this, &CScrivelDlg::OnDownload);
  connect(m_btnPrevScreen, &QAbstractButton::clicked, this, &CScrivelDlg::OnPrevScreen);
  connect(m_btnNextScreen, &QAbstractButton::clicked, this, &CScrivelDlg::OnNextScreen);

  using namespace scrivel::text;
  scrivel::SetButtonTips(this, {{1000, 0, kTipLiveNote},
                                {1001, 0, kTipDownload},
                                {1002, 0, kTipPrevScreen},
                                {1005, 0, kTipNextScreen}});
  m_fScale = scrivel::FitToScreen(this, scrivel::kDecoration);

  OnInitDialog();
}

CScrivelDlg::~CScrivelDlg() = default;

bool CScrivelDlg::OnInitDialog() {
  setWindowIcon(m_hIcon);

  const QString png = QStringLiteral("PNG");
  m_btnNewNote->LoadNormalImage(144, png);
  m_btnDownload->LoadNormalImage(188, png);
  m_btnPrevScreen->LoadNormalImage(180, png);
  m_btnNextScreen->LoadNormalImage(182, png);

  // The screen number: a 50-pixel cell, characters 15 pixels wide, thin.
  m_editPageNum->setFont(scrivel::LogFont(QStringLiteral("Arial"), 50, 15, 100, m_fScale));
  ShowPageNumber(m_nCurScreen, m_nTotalScreen);

  RunUpdateCheck();
  OpenPenRoute();

  ZMTVersion version{};
  version.size = sizeof(ZMTVersion);
  ZMTGetVersion(&version);
  return true;
}

void CScrivelDlg::RunUpdateCheck() {
  // The manifest is fetched in the background; on Yes the updater starts and
  // this window's run ends.
  m_updateCheck = new CUpdateCheck(this, QString::fromStdString(scrivel::AppFolder()),
                                   scrivel::UpdateBaseUrl(), scrivel::UpdatePublicKey());
  connect(m_updateCheck, &CUpdateCheck::updaterStarted, this, [this] { done(0); });
  m_updateCheck->Start();
}

bool CScrivelDlg::OpenPenRoute() {
  // The main window ignores pen events, so it asks for no notification.
  if (!scrivel::OpenRouteReceiver(this, nullptr, m_hRoute)) return false;
  if (ZMTIsConnected() == 0) {
    ZMTDisconnect();
    ZMTConnect(0, 0x100, 0);
  }
  return true;
}

void CScrivelDlg::ShowPageNumber(int current, int total) {
  const QString strPageNum = QString::number(current);
  const QString strPageCount = QString::number(total);
  m_editPageNum->setText(strPageNum + QLatin1Char('/') + strPageCount);
}

QRect CScrivelDlg::ThumbArea() const { return m_thumbFrame->geometry().adjusted(1, 1, -1, -1); }

void CScrivelDlg::ClearThumbArea(QPainter& painter) const {
  painter.fillRect(ThumbArea(), QColor(255, 255, 255));
}

void CScrivelDlg::DrawThumbnail(QPainter& painter, int x, int y, const QImage& page) const {
  painter.drawImage(QPoint(x, y), page, g_thumbRect);
}

void CScrivelDlg::ShowScreen(QPainter& painter, int screen) const {
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const qsizetype k = qsizetype(screen - 1) * kThumbsPerScreen + kColumns * r + c;
      const QImage page = g_pageBitmaps.At(k);
      if (!page.isNull())
        DrawThumbnail(painter, kThumbLeft + kThumbColumnStep * c, kThumbTop + kThumbRowStep * r, page);
    }
  }
}

void CScrivelDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  ClearThumbArea(painter);
  if (g_pageBitmaps.Count() == 0) ShowEmptyHint(painter);
  // The thumbnails' places are pixels of the full-size layout.
  painter.scale(m_fScale, m_fScale);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, m_fScale != 1.0);
  ShowScreen(painter, m_nCurScreen);
}

void CScrivelDlg::ShowEmptyHint(QPainter& painter) const {
  const QString hint = g_strings.Get(scrivel::text::kHintNoPages);
  if (hint.isEmpty()) return;
  const QRect area = ThumbArea();
  // The middle half of the area, wrapped into lines.
  const QRect box = area.adjusted(area.width() / 4, 0, -area.width() / 4, 0);
  QFont hintFont = font();
  hintFont.setPixelSize(std::max(1, qRound(16 * m_fScale)));
  painter.save();
  painter.setFont(hintFont);
  painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
  painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, hint);
  painter.restore();
}

void CScrivelDlg::keyPressEvent(QKeyEvent* event) {
  // One key should not end the program: Escape leaves the window open (its
  // close button and the window manager still close it).
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CScrivelDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // While the live note runs this window waits for it; brought to the front
  // (from the task bar, say) with the note minimised, it brings the note back
  // instead of standing there blocked.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_pNote != nullptr &&
      m_pNote->isMinimized()) {
    m_pNote->showNormal();
    m_pNote->raise();
    m_pNote->activateWindow();
  }
}

void CScrivelDlg::AddPages(const QList<QImage>& pages) { g_pageBitmaps.Append(pages); }

void CScrivelDlg::UpdateTotalScreens() {
  const qsizetype count = g_pageBitmaps.Count();
  const qsizetype screens = (count + kThumbsPerScreen - 1) / kThumbsPerScreen;
  m_nTotalScreen = static_cast<int>(std::max<qsizetype>(1, screens));
  ShowPageNumber(m_nCurScreen, m_nTotalScreen);
  update(ThumbArea());
}

void CScrivelDlg::OnPrevScreen() {
  scrivel::Trace("进入OnPrevScreen函数\n");
  if (m_nCurScreen <= 1) return;
  --m_nCurScreen;
  ShowPageNumber(m_nCurScreen, m_nTotalScreen);
  update(ThumbArea());
}

void CScrivelDlg::OnNextScreen() {
  scrivel::Trace("进入OnNextScreen函数\n");
  if (m_nCurScreen >= m_nTotalScreen) return;
  ++m_nCurScreen;
  ShowPageNumber(m_nCurScreen, m_nTotalScreen);
  update(ThumbArea());
}

void CScrivelDlg::OnDownload() { m_download->OnDownload(); }

void CScrivelDlg::OnNewNote() {
  scrivel::Trace("进入OnNewNote函数\n");
  // The live note runs modally, without parent; this window waits for it.
  auto note = std::make_unique<CNewNoteDlg>();
  m_pNote = note.get();
  note->exec();
  m_pNote = nullptr;
  m_btnNewNote->ResetNormalImage(1, 144, QStringLiteral("PNG"));
  activateWindow();
  setFocus();
  ZMTUninit();
  note.reset();
}
