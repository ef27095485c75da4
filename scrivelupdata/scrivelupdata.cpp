#include "scrivelupdata/scrivelupdata.h"

#include "common/appfolder.h"
#include "lang/languagestrings.h"
#include "lang/userlanguage.h"
#include "scrivelupdata/scrivelupdatadlg.h"
#include "update/updatesource.h"

CScrivelUpDataApp::CScrivelUpDataApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("ScrivelUpData"));
}

bool CScrivelUpDataApp::InitInstance() {
  const QString folder = QString::fromStdString(scrivel::AppFolder());
  scrivel::LoadUserLanguage(g_strings, folder, 10008, 10012);
  CScrivelUpDataDlg dlg(folder, scrivel::UpdateBaseUrl(), scrivel::UpdatePublicKey());
  dlg.exec();
  return false;
}
