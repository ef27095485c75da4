#include "scrivel/scrivelapp.h"

#include <QIcon>

#include "common/appfolder.h"
#include "common/trace.h"
#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "lang/userlanguage.h"
#include "recording/interruptedrecordings.h"
#include "resources/resourcepath.h"
#include "scrivel/notekeeping.h"
#include "scrivel/noterecovery.h"
#include "scrivel/scriveldlg.h"

CScrivelApp::CScrivelApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Scrivel"));
  // Every window, the task bar's entries included, shows the program's icon.
  setWindowIcon(QIcon(scrivel::ResourcePath(128, QStringLiteral("ICON"))));
  // The desktop entry's name (the window's application id on Wayland).
  setDesktopFileName(QStringLiteral("com.tavolotechnologies.Scrivel"));
}

bool CScrivelApp::InitInstance() {
  scrivel::LoadUserLanguage(g_strings, QString::fromStdString(scrivel::AppFolder()), 10001,
                            scrivel::text::kLastAppText);
  scrivel::RecoverLiveNotes();
  scrivel::OfferInterruptedRecordings();

  CScrivelDlg dlg;
  const int nResponse = dlg.exec();
  scrivel::WaitForKeptNotes();
  if (nResponse == -1) {
    scrivel::Trace("警告: 对话框创建失败，应用程序将意外终止。\n");
    scrivel::Trace("警告: 如果您在对话框上使用 MFC 控件，则无法 #define _AFX_NO_MFC_CONTROLS_IN_DIALOGS。\n");
  }
  return false;
}
