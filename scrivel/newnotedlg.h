#pragma once
// The live note window: a white canvas on which the pen's strokes appear as
// they are written, page after page, between two rows of image buttons (pen
// and editing tools above, pages and recording below).
//
// The window registers with the route library and drains its event queue
// whenever the library notifies it (through CZMTNotifyRelay, so a late
// notification never reaches a destroyed window). Each route event becomes a
// PenEvent in canvas pixels for the model (CNoteModel), and the canvas
// control repaints only what the model reports as changed.

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "nibroute/nibroute.h"
#include "note/colorref.h"
#include "note/notemodel.h"

class CGdipButton;
class CNoteKeeper;
class CNoteCanvas;
namespace scrivel {
class CNoteRecorder;
}
class QLineEdit;

class CNewNoteDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CNewNoteDlg(QWidget* parent = nullptr);
  ~CNewNoteDlg() override;

  // Buttons, the first page, the page number, the pen route.
  bool OnInitDialog();
  // Initialises the route library, registers the window (once) and connects.
  bool OpenPenRoute();
  // Connects the pen receiver again; button 1000 shows the outcome.
  bool ConnectPen();
  // "current/total" in edit 1017.
  void ShowPageNumber(int current, int total);

  // One route event as OnZMTNotify handles it.
  void HandleRouteEvent(const ZMTEvent& event);
  // Draws the current page from its strokes and pictures, as a paint of the
  // window does: the canvas goes white first when the program has an active
  // window, and the colour strip turns black again.
  void PaintPage();

  // The window's client area as it shows now, rendered from the window (not
  // read from the screen).
  QImage GrabClientArea();

  CNoteModel& Model() { return *m_note; }
  CNoteKeeper* Keeper() const { return m_keeper.get(); }
  CNoteCanvas* Canvas() const { return m_canvas; }
  int32_t RouteHandle() const { return m_hRoute; }
  int PenWidth() const { return m_nPenWidth; }
  COLORREF PenColor() const { return m_crPenColor; }
  // The canvas in the canvas control's pixels (m_rcCanvas).
  QRect CanvasRect() const { return m_rcCanvas; }

 public slots:
  void OnZMTNotify();
  void OnReconnect();
  void OnPenMode();
  void OnPenWidth();
  void OnPenColor();
  void OnRevokeStroke();
  void OnRestoreStroke();
  void OnClearPage();
  void OnPrevPage();
  void OnNextPage();
  void OnDeletePage();
  void OnMinimizeNote();
  void OnCloseNote();
  // Eraser mode on or off; the window's cursor shows it (the eraser cursor,
  // then the cross cursor once it is off again).
  void OnEraser();
  // Asks for a picture file and puts it over the whole canvas, the strokes
  // on top; the mouse then moves and resizes it.
  void OnADDIMAGE();
  // Recording (forwarded to the window's CNoteRecorder) and sharing.
  void OnRecordButton();
  void OnPauseButton();
  void OnSaveImageToFile();

 public:
  scrivel::CNoteRecorder* Recorder() const { return m_recorder; }
  int Eraser() const { return m_bEraser; }

  // Asks which picture file to add: the chosen path (which may be empty), or
  // nothing when the user cancels.
  using ImagePathChooser = std::function<std::optional<QString>()>;
  // The file-open dialog OnADDIMAGE shows unless a test replaces it: an
  // existing file, filters for BMP and JPG pictures and for all files.
  static std::optional<QString> AskImagePath();
  ImagePathChooser m_chooseImagePath = &CNewNoteDlg::AskImagePath;
  // Ends the window's run; a recording still running is stopped first and
  // offered for saving.
  void done(int result) override;

 public slots:
  // Pen input in canvas pixels, from the route library or a tablet: it writes
  // the live stroke with the current width and colour.
  void OnCanvasPen(const PenEvent& event);
  // Mouse input on the canvas, in canvas pixels: a button down grabs the
  // picture under it (eraser off); a move erases (eraser on, only the left
  // button held) and drags the grabbed picture; a button up ends the erase
  // or the drag, each with its history entry.
  void OnCanvasMouse(const PenEvent& event);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void CreateControls();
  void CreateRecorder();
  void ConnectControls();
  void OnActivateApp(bool active);
  void ShowCurrentPageNumber();
  QRect ColourStripRect() const;
  void SetColourStrip(COLORREF color);
  void RepaintCanvas(const QRegion& changed);

  // The image buttons, by control id.
  CGdipButton* m_btnReconnect;   // 1000
  CGdipButton* m_btnPenMode;     // 1001
  CGdipButton* m_btnPenWidth;    // 1005
  CGdipButton* m_btnPenColor;    // 1006
  CGdipButton* m_btnEraser;      // 1007
  CGdipButton* m_btnAddImage;    // 1011
  CGdipButton* m_btnRevoke;      // 1009
  CGdipButton* m_btnRestore;     // 1010
  CGdipButton* m_btnShare;       // 1016
  CGdipButton* m_btnMinimize;    // 1021
  CGdipButton* m_btnClose;       // 1019
  CGdipButton* m_btnRecord;      // 1015
  CGdipButton* m_btnPause;       // 1018
  CGdipButton* m_btnDeletePage;  // 1003
  CGdipButton* m_btnPrevPage;    // 1012
  CGdipButton* m_btnNextPage;    // 1013
  CGdipButton* m_btnClearPage;   // 1008
  QLineEdit* m_editPageNum;      // 1017
  QLineEdit* m_editClock;        // 1020
  CNoteCanvas* m_canvas;         // the canvas frame

  int32_t m_hRoute = -1;
  void* m_notifyToken = nullptr;
  QRect m_rcFrame;   // the frame control's client rectangle
  QRect m_rcCanvas;  // the frame less its top and bottom pixel rows
  int m_nPenWidth = 1;
  COLORREF m_crPenColor = 0;
  int m_bEraser = 0;
  COLORREF m_crStrip = 0;  // the strip under button 1006
  bool m_bMinimized = false;
  std::unique_ptr<CNoteModel> m_note;
  std::unique_ptr<CNoteKeeper> m_keeper;  // the note on disk (notekeeping.h)
  scrivel::CNoteRecorder* m_recorder = nullptr;
};
