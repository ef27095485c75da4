#include "scrivel/newnotedlg.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <QWindow>

#include <optional>
#include <vector>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "note/notekeeper.h"
#include "note/notepages.h"
#include "recording/noterecorder.h"
#include "recording/recordingstate.h"
#include "recording/windowpicture.h"
#include "resources/resourcepath.h"
#include "scrivel/dialogunits.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/logfont.h"
#include "scrivel/notekeeping.h"
#include "scrivel/notecanvas.h"
#include "scrivel/notewindowsetup.h"
#include "scrivel/penwidthdlg.h"
#include "scrivel/routereceiver.h"
#include "scrivel/saveshare.h"
#include "scrivel/windowfit.h"
#include "scrivel/zmtnotifyrelay.h"

using scrivel::DluRect;

namespace {

const QString kPng = QStringLiteral("PNG");

// Artwork of the buttons whose picture follows a state.
constexpr unsigned kPngConnected = 148, kPngNotConnected = 150;
constexpr unsigned kPngPenModeOne = 152, kPngPenModeTwo = 154;
// The eraser cursor (32 x 32), its hot spot in the middle of the eraser: the
// square it whitens reaches 10 pixels left of and below that point.
constexpr unsigned kEraserCursor = 142;
constexpr int kEraserHotX = 16, kEraserHotY = 16;

unsigned WidthImage(int width) {
  switch (width) {
    case 1: return 156;
    case 2: return 168;
    case 3: return 170;
    default: return 0;
  }
}

QLineEdit* MakeEdit(QWidget* parent, int id, QRect geometry) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->setGeometry(geometry);
  edit->setReadOnly(true);
  edit->setFrame(false);
  edit->setTextMargins(0, 0, 0, 0);
  edit->setContentsMargins(0, 0, 0, 0);
  // A read-only edit sits on the window's colour.
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
  edit->setPalette(palette);
  return edit;
}

}  // namespace

CNewNoteDlg::CNewNoteDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Scrivel"));
  // No caption: the window's own buttons minimise and close it. A window of
  // its own (not a dialog of the main window), so that minimised it keeps
  // its entry in the task bar.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  QFont dialogFont = font();
  dialogFont.setPixelSize(12);
  setFont(dialogFont);
  resize(DluRect(0, 0, 287, 414).size());

  CreateControls();
  scrivel::SetUpNoteWindow(this);
  m_rcFrame = m_canvas->rect();
  m_rcCanvas = m_canvas->CanvasRect();
  m_note = std::make_unique<CNoteModel>(m_rcCanvas.size());
  m_canvas->SetImage(&m_note->canvas());
  m_keeper = scrivel::KeepLiveNote(this, *m_note);
  m_notifyToken = CZMTNotifyRelay::Register(this);
  ConnectControls();
  OnInitDialog();
}

CNewNoteDlg::~CNewNoteDlg() {
  // From here on the route library's notifications no longer reach this window.
  CZMTNotifyRelay::Unregister(m_notifyToken);
}

void CNewNoteDlg::CreateControls() {
  m_btnReconnect = CGdipButton::Create(this, 1000, DluRect(0, 0, 25, 23));
  m_btnPenMode = CGdipButton::Create(this, 1001, DluRect(25, 0, 25, 23));
  m_btnPenWidth = CGdipButton::Create(this, 1005, DluRect(51, 0, 25, 23));
  m_btnPenColor = CGdipButton::Create(this, 1006, DluRect(77, 1, 25, 19));
  m_btnEraser = CGdipButton::Create(this, 1007, DluRect(103, 1, 25, 23));
  m_btnAddImage = CGdipButton::Create(this, 1011, DluRect(128, 1, 25, 23));
  m_btnRevoke = CGdipButton::Create(this, 1009, DluRect(153, 2, 25, 21));
  m_btnRestore = CGdipButton::Create(this, 1010, DluRect(179, 2, 25, 21));
  m_btnShare = CGdipButton::Create(this, 1016, DluRect(205, 1, 25, 23));
  m_btnMinimize = CGdipButton::Create(this, 1021, DluRect(231, 2, 25, 23));
  m_btnClose = CGdipButton::Create(this, 1019, DluRect(257, 2, 25, 23));
  m_canvas = new CNoteCanvas(this);
  m_canvas->setGeometry(DluRect(0, 25, 286, 365));
  m_btnRecord = CGdipButton::Create(this, 1015, DluRect(0, 391, 25, 23));
  m_editClock = MakeEdit(this, 1020, DluRect(25, 392, 43, 23));
  m_btnPause = CGdipButton::Create(this, 1018, DluRect(69, 391, 26, 23));
  m_btnDeletePage = CGdipButton::Create(this, 1003, DluRect(96, 391, 25, 23));
  m_btnPrevPage = CGdipButton::Create(this, 1012, DluRect(122, 392, 25, 22));
  m_editPageNum = MakeEdit(this, 1017, DluRect(149, 390, 47, 23));
  m_editPageNum->setAlignment(Qt::AlignCenter);
  m_btnNextPage = CGdipButton::Create(this, 1013, DluRect(199, 392, 25, 21));
  m_btnClearPage = CGdipButton::Create(this, 1008, DluRect(229, 391, 25, 23));
}

void CNewNoteDlg::ConnectControls() {
  const auto onClick = [this](CGdipButton* button, void (CNewNoteDlg::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, handler);
  };
  onClick(m_btnReconnect, &CNewNoteDlg::OnReconnect);
  onClick(m_btnPenMode, &CNewNoteDlg::OnPenMode);
  onClick(m_btnPenWidth, &CNewNoteDlg::OnPenWidth);
  onClick(m_btnPenColor, &CNewNoteDlg::OnPenColor);
  onClick(m_btnEraser, &CNewNoteDlg::OnEraser);
  onClick(m_btnAddImage, &CNewNoteDlg::OnADDIMAGE);
  onClick(m_btnRevoke, &CNewNoteDlg::OnRevokeStroke);
  onClick(m_btnRestore, &CNewNoteDlg::OnRestoreStroke);
  onClick(m_btnShare, &CNewNoteDlg::OnSaveImageToFile);
  onClick(m_btnMinimize, &CNewNoteDlg::OnMinimizeNote);
  onClick(m_btnClose, &CNewNoteDlg::OnCloseNote);
  onClick(m_btnRecord, &CNewNoteDlg::OnRecordButton);
  onClick(m_btnPause, &CNewNoteDlg::OnPauseButton);
  onClick(m_btnDeletePage, &CNewNoteDlg::OnDeletePage);
  onClick(m_btnPrevPage, &CNewNoteDlg::OnPrevPage);
  onClick(m_btnNextPage, &CNewNoteDlg::OnNextPage);
  onClick(m_btnClearPage, &CNewNoteDlg::OnClearPage);
  connect(m_canvas, &CNoteCanvas::mouseInput, this, &CNewNoteDlg::OnCanvasMouse);
  connect(m_canvas, &CNoteCanvas::penInput, this, &CNewNoteDlg::OnCanvasPen);
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState state) { OnActivateApp(state == Qt::ApplicationActive); });
}

void CNewNoteDlg::CreateRecorder() {
  m_recorder = new scrivel::CNoteRecorder(this, [this] { return GrabClientArea(); }, this);
  using scrivel::CNoteRecorder;
  connect(m_recorder, &CNoteRecorder::recordImageChanged, this,
          [this](unsigned id) { m_btnRecord->ResetNormalImage(1, id, kPng); });
  connect(m_recorder, &CNoteRecorder::pauseImageChanged, this,
          [this](unsigned id) { m_btnPause->ResetNormalImage(1, id, kPng); });
  connect(m_recorder, &CNoteRecorder::pauseShownChanged, m_btnPause, &QWidget::setVisible);
  connect(m_recorder, &CNoteRecorder::clockShownChanged, m_editClock, &QWidget::setVisible);
  connect(m_recorder, &CNoteRecorder::clockTextChanged, m_editClock, &QLineEdit::setText);
}

bool CNewNoteDlg::OnInitDialog() {
  m_btnReconnect->LoadNormalImage(kPngNotConnected, kPng);
  m_btnPenMode->LoadNormalImage(g_bPenModeOne ? kPngPenModeOne : kPngPenModeTwo, kPng);
  m_btnPenWidth->LoadNormalImage(WidthImage(m_nPenWidth), kPng);
  m_btnPenColor->LoadNormalImage(158, kPng);
  m_btnEraser->LoadNormalImage(160, kPng);
  m_btnAddImage->LoadNormalImage(172, kPng);
  m_btnRevoke->LoadNormalImage(164, kPng);
  m_btnRestore->LoadNormalImage(166, kPng);
  m_btnShare->LoadNormalImage(186, kPng);
  m_btnMinimize->LoadNormalImage(204, kPng);
  m_btnClose->LoadNormalImage(200, kPng);
  m_btnRecord->LoadNormalImage(184, kPng);
  m_btnPause->LoadNormalImage(192, kPng);
  m_btnDeletePage->LoadNormalImage(174, kPng);
  m_btnPrevPage->LoadNormalImage(180, kPng);
  m_btnNextPage->LoadNormalImage(182, kPng);
  m_btnClearPage->LoadNormalImage(162, kPng);

  m_btnPause->hide();
  m_editClock->hide();
  CreateRecorder();

  // The first page starts with the white canvas as its first entry.
  m_note->AddPage();
  ++g_nPageCount;

  const qreal scale = scrivel::LayoutScale(this);
  m_editPageNum->setFont(scrivel::LogFont(QStringLiteral("Arial"), 47, 10, 100, scale));
  m_editClock->setFont(scrivel::LogFont(QStringLiteral("Arial"), 40, 6, 100, scale));
  ShowCurrentPageNumber();
  SetColourStrip(0);

  OpenPenRoute();
  return true;
}

bool CNewNoteDlg::OpenPenRoute() {
  if (!scrivel::OpenRouteReceiver(m_notifyToken, &CZMTNotifyRelay::Post, m_hRoute)) return false;
  ConnectPen();
  return true;
}

bool CNewNoteDlg::ConnectPen() {
  ZMTDisconnect();
  const bool connected = ZMTConnect(0, 0x100, 0) >= 0;
  m_btnReconnect->ResetNormalImage(1, connected ? kPngConnected : kPngNotConnected, kPng);
  update();
  return connected;
}

void CNewNoteDlg::OnReconnect() {
  scrivel::Trace("进入OnReconnect函数\n");
  OpenPenRoute();
}

void CNewNoteDlg::OnPenMode() {
  scrivel::Trace("进入OnPenMode函数\n");
  if (g_bPenModeOne) {
    ZMTSetProperty(m_hRoute, 16, 2);
    g_bPenModeOne = 0;
    m_btnPenMode->ResetNormalImage(1, kPngPenModeTwo, kPng);
  } else {
    ZMTSetProperty(m_hRoute, 16, 1);
    g_bPenModeOne = 1;
    m_btnPenMode->ResetNormalImage(1, kPngPenModeOne, kPng);
  }
  update();
}

void CNewNoteDlg::OnActivateApp(bool active) {
  if (m_hRoute == -1) return;
  if (active) ZMTActivate(m_hRoute);
  else ZMTDeactivate(m_hRoute);
}

bool CNewNoteDlg::event(QEvent* event) {
  if (event->type() == CZMTNotifyRelay::ZMTNotifyEvent()) {
    OnZMTNotify();
    return true;
  }
  return QDialog::event(event);
}

void CNewNoteDlg::OnZMTNotify() {
  scrivel::Trace("进入OnZMTNotify函数\n");
  ZMTEvent event{};
  while (ZMTGetEvent(m_hRoute, &event) >= 0) HandleRouteEvent(event);
}

void CNewNoteDlg::HandleRouteEvent(const ZMTEvent& event) {
  switch (event.type) {
    case ZMT_EVT_PENDOWN:
    case ZMT_EVT_PENMOVE:
    case ZMT_EVT_PENUP:
      // Pen events 4 to 7 carry a position too, but change nothing.
      if (const std::optional<PenEvent> pen = PenEventFromRoute(event, m_note->CanvasRect()))
        OnCanvasPen(*pen);
      break;
    case ZMT_EVT_RECEIVER_ARRIVED:
      m_btnReconnect->ResetNormalImage(1, kPngConnected, kPng);
      update();
      if (isActiveWindow()) ZMTActivate(m_hRoute);
      break;
    case ZMT_EVT_RECEIVER_GONE:
      m_btnReconnect->ResetNormalImage(1, kPngNotConnected, kPng);
      update();
      break;
    default:
      break;
  }
}

void CNewNoteDlg::RepaintCanvas(const QRegion& changed) { m_canvas->UpdateCanvas(changed); }

void CNewNoteDlg::OnRevokeStroke() {
  scrivel::Trace("进入OnRevokeStroke函数\n");
  RepaintCanvas(m_note->OnRevokeStroke());
  ShowCurrentPageNumber();  // an undone delete brings a page back
}

void CNewNoteDlg::OnRestoreStroke() {
  scrivel::Trace("进入OnRestoreStroke函数\n");
  RepaintCanvas(m_note->OnRestoreStroke());
  ShowCurrentPageNumber();
}

void CNewNoteDlg::OnClearPage() {
  scrivel::Trace("进入OnClearPage函数\n");
  RepaintCanvas(m_note->OnClearPage());
}

void CNewNoteDlg::ShowPageNumber(int current, int total) {
  const QString strPageNum = QString::number(current);
  const QString strPageCount = QString::number(total);
  m_editPageNum->setText(strPageNum + QLatin1Char('/') + strPageCount);
}

void CNewNoteDlg::ShowCurrentPageNumber() { ShowPageNumber(g_nCurPage + 1, g_nPageCount); }

void CNewNoteDlg::OnPrevPage() {
  scrivel::Trace("进入OnPrevPage函数\n");
  QRegion changed;
  if (!m_note->PrevPage(changed)) return;
  RepaintCanvas(changed);
  ShowCurrentPageNumber();
}

void CNewNoteDlg::OnNextPage() {
  scrivel::Trace("进入OnNextPage函数\n");
  QRegion changed;
  m_note->NextPage(changed);
  RepaintCanvas(changed);
  ShowCurrentPageNumber();
}

void CNewNoteDlg::OnDeletePage() {
  scrivel::Trace("进入OnDeletePage函数\n");
  QRegion changed;
  if (!m_note->DeletePage(changed)) {
    QMessageBox box(QMessageBox::NoIcon, g_strings.Get(10004), g_strings.Get(10003),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  ShowCurrentPageNumber();
  RepaintCanvas(changed);
}

void CNewNoteDlg::OnPenWidth() {
  scrivel::Trace("进入OnPenWidth函数\n");
  CPenWidthDlg picker;
  picker.m_nWidth = m_nPenWidth;
  picker.m_rcAnchor = QRect(m_btnPenWidth->mapToGlobal(QPoint(0, 0)), m_btnPenWidth->size());
  picker.exec();
  m_nPenWidth = picker.m_nWidth;
  if (const unsigned image = WidthImage(m_nPenWidth)) m_btnPenWidth->ResetNormalImage(1, image, kPng);
  update();
}

void CNewNoteDlg::OnPenColor() {
  scrivel::Trace("进入OnPenColor函数\n");
  QColorDialog dialog(ColorFromColorRef(m_crPenColor));
  if (dialog.exec() == QDialog::Accepted) m_crPenColor = ColorRefFromColor(dialog.selectedColor());
  // In every case the strip under the button shows the pen's colour.
  SetColourStrip(m_crPenColor);
}

QRect CNewNoteDlg::ColourStripRect() const {
  const QRect button = m_btnPenColor->geometry();
  return QRect(button.left(), button.top() + button.height(), button.width() - 10, 4);
}

void CNewNoteDlg::SetColourStrip(COLORREF color) {
  m_crStrip = color;
  update(ColourStripRect());
}

void CNewNoteDlg::PaintPage() {
  const bool active = QApplication::activeWindow() != nullptr;
  if (active) SetColourStrip(0);
  m_rcFrame = m_canvas->rect();
  m_rcCanvas = m_canvas->CanvasRect();
  RepaintCanvas(QRegion(m_note->RepaintPage(active)));
}

void CNewNoteDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(ColourStripRect(), ColorFromColorRef(m_crStrip));
}

void CNewNoteDlg::mousePressEvent(QMouseEvent* event) {
  // The window has no caption: pressing on its background between the
  // buttons moves it instead.
  if (event->button() == Qt::LeftButton && windowHandle() != nullptr &&
      windowHandle()->startSystemMove())
    return;
  QDialog::mousePressEvent(event);
}

void CNewNoteDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) PaintPage();
}

void CNewNoteDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const bool minimized = isMinimized();
  // Restored from the taskbar: the window paints itself anew.
  if (m_bMinimized && !minimized) PaintPage();
  m_bMinimized = minimized;
}

void CNewNoteDlg::OnMinimizeNote() {
  scrivel::Trace("进入OnMinimizeNote函数\n");
  showMinimized();
}

void CNewNoteDlg::OnCloseNote() {
  scrivel::Trace("进入OnCloseNote函数\n");
  done(0);
}

QImage CNewNoteDlg::GrabClientArea() { return scrivel::WindowPicture(*this); }

void CNewNoteDlg::OnEraser() {
  scrivel::Trace("进入OnEraser函数\n");
  if (m_bEraser == 0) {
    const QPixmap eraser(scrivel::ResourcePath(kEraserCursor, QStringLiteral("CURSOR")));
    setCursor(QCursor(eraser, kEraserHotX, kEraserHotY));
    m_bEraser = 1;
  } else {
    setCursor(Qt::CrossCursor);
    m_bEraser = 0;
  }
}

std::optional<QString> CNewNoteDlg::AskImagePath() {
  // No parent, as the window's other system dialogs; the file must exist.
  QFileDialog dialog;
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Qt takes a filter's patterns from its parentheses, separated by spaces.
  dialog.setNameFilters({QStringLiteral("image(*.bmp *.jpg *.jpeg *.png)"), QStringLiteral("All Files (*)")});
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.constFirst();
}

void CNewNoteDlg::OnADDIMAGE() {
  scrivel::Trace("进入OnADDIMAGE函数\n");
  const std::optional<QString> path = m_chooseImagePath ? m_chooseImagePath() : std::nullopt;
  if (!path) return;
  RepaintCanvas(QRegion(m_note->AddPicture(*path)));
}

void CNewNoteDlg::OnRecordButton() {
  scrivel::Trace("进入OnRecordButton函数\n");
  m_recorder->OnRecordButton();
}

void CNewNoteDlg::OnPauseButton() {
  scrivel::Trace("进入OnPauseButton函数\n");
  m_recorder->OnPauseButton();
}

void CNewNoteDlg::done(int result) {
  if (m_recorder != nullptr && !m_recorder->OnNoteClosing()) return;
  if (m_keeper) {
    m_note->SetActionListener(nullptr);
    scrivel::FinishKeepingInBackground(std::move(m_keeper));
  }
  QDialog::done(result);
}

void CNewNoteDlg::OnSaveImageToFile() {
  scrivel::Trace("进入OnSaveImageToFile函数\n");
  std::vector<std::optional<QImage>> pictures;
  for (int page = 0; page <= g_nCurPage; ++page) {
    const QImage picture = PagePicture(page);
    pictures.push_back(picture.isNull() ? std::nullopt : std::optional<QImage>(picture));
  }
  ShareNotePages(this, pictures, g_nCurPage, scrivel::g_recording.bVideoReady != 0);
}

void CNewNoteDlg::OnCanvasPen(const PenEvent& event) {
  m_canvas->UpdateCanvas(m_note->OnPen(event, m_crPenColor, m_nPenWidth));
}

void CNewNoteDlg::OnCanvasMouse(const PenEvent& event) {
  const StorePageInfo& page = m_note->CurrentPage();
  switch (event.type) {
    case PenEvent::Type::Down:
      if (m_bEraser == 0) m_note->BeginDrag(event.point);
      break;
    case PenEvent::Type::Move:
      // Only the left button, no other button or key.
      if (m_bEraser == 1 && event.flags == PenEvent::kLeftButton)
        RepaintCanvas(QRegion(m_note->EraseAt(event.point)));
      if (page.dragging != 0) RepaintCanvas(QRegion(m_note->DragTo(event.point)));
      break;
    case PenEvent::Type::Up:
      if (m_bEraser == 1) m_note->EndErase(event.point);
      if (page.dragging == 1) m_note->EndDrag();
      break;
  }
}
