#include "scrivel/scrivelapp.h"

#include "common/appfolder.h"
#include "common/trace.h"
#include "lang/languagestrings.h"
#include "recording/interruptedrecordings.h"
#include "scrivel/noterecovery.h"
#include "scrivel/scriveldlg.h"

CScrivelApp::CScrivelApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Scrivel"));
  // The desktop entry's name (the window's application id on Wayland).
  setDesktopFileName(QStringLiteral("com.tavolotechnologies.Scrivel"));
}

bool CScrivelApp::InitInstance() {
  g_strings.Load(QString::fromStdString(scrivel::AppFolder()), 10001, 10008);
  scrivel::RecoverLiveNotes();
  scrivel::OfferInterruptedRecordings();

  CScrivelDlg dlg;
  const int nResponse = dlg.exec();
  if (nResponse == -1) {
    scrivel::Trace("警告: 对话框创建失败，应用程序将意外终止。\n");
    scrivel::Trace("警告: 如果您在对话框上使用 MFC 控件，则无法 #define _AFX_NO_MFC_CONTROLS_IN_DIALOGS。\n");
  }
  return false;
}
