#pragma once
// The main window: four image buttons (live note, download, previous and next
// screen), the screen number between the paging buttons, and the thumbnails of
// the downloaded pages, six to a screen in two rows of three. Until the first
// pages arrive the empty area shows a hint of what to do. On a screen too
// small for it the whole window shrinks to fit, thumbnails included.

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QRect>

#include <cstdint>

class CDownloadFlow;
class CGdipButton;
class CNewNoteDlg;
class CUpdateCheck;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;

class CScrivelDlg : public QDialog {
  Q_OBJECT

 public:
  // Where the thumbnails of a screen go, in client pixels.
  static constexpr int kThumbsPerScreen = 6;
  static constexpr int kColumns = 3;
  static constexpr int kThumbLeft = 100, kThumbColumnStep = 240;
  static constexpr int kThumbTop = 2, kThumbRowStep = 280;

  explicit CScrivelDlg(QWidget* parent = nullptr);
  ~CScrivelDlg() override;

  // The window's set-up: images, font, screen number, update check, route.
  bool OnInitDialog();

  // Appends downloaded pages (222 x 271 pictures) behind those already there.
  // Safe to call from any thread. The window shows them once
  // UpdateTotalScreens has run on its thread.
  static void AddPages(const QList<QImage>& pages);
  // Sets the number of screens to what the page list fills (at least one),
  // shows it beside the current screen and repaints the thumbnails. Runs on
  // the window's thread; another thread calls it queued:
  //   QMetaObject::invokeMethod(dlg, &CScrivelDlg::UpdateTotalScreens, Qt::QueuedConnection);
  Q_INVOKABLE void UpdateTotalScreens();

  // Shows "current/total" in the screen number edit.
  void ShowPageNumber(int current, int total);
  // Registers the window with the route library and connects the receiver.
  bool OpenPenRoute();

  int CurrentScreen() const { return m_nCurScreen; }
  int TotalScreens() const { return m_nTotalScreen; }
  // The white area inside the black frame, in client pixels.
  QRect ThumbArea() const;

 // The download of the pen's pages (button 1001).
  CDownloadFlow* DownloadFlow() const { return m_download; }
  CUpdateCheck* UpdateCheck() const { return m_updateCheck; }

 public slots:
  void OnNewNote();
  void OnDownload();
  void OnPrevScreen();
  void OnNextScreen();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ShowEmptyHint(QPainter& painter) const;
  void RunUpdateCheck();
  void ClearThumbArea(QPainter& painter) const;
  void DrawThumbnail(QPainter& painter, int x, int y, const QImage& page) const;
  void ShowScreen(QPainter& painter, int screen) const;

  CGdipButton* m_btnNewNote;     // 1000
  CGdipButton* m_btnPrevScreen;  // 1002
  CGdipButton* m_btnNextScreen;  // 1005
  CGdipButton* m_btnDownload;    // 1001
  QLineEdit* m_editPageNum;      // 1017
  QFrame* m_thumbFrame;          // the black frame around the thumbnails
  QLabel* m_versionLabel;
  CDownloadFlow* m_download;
  CUpdateCheck* m_updateCheck = nullptr;

  CNewNoteDlg* m_pNote = nullptr;  // the live note while it runs
  qreal m_fScale = 1.0;            // the layout's scale on this screen

  int m_nTotalScreen = 1;
  int m_nCurScreen = 1;
  QIcon m_hIcon;
  int32_t m_hRoute = -1;
};
