#include "scrivelupdata/scrivelupdata.h"

#include "common/appfolder.h"
#include "lang/languagestrings.h"
#include "scrivelupdata/scrivelupdatadlg.h"
#include "update/updatesource.h"

CScrivelUpDataApp::CScrivelUpDataApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("ScrivelUpData"));
}

bool CScrivelUpDataApp::InitInstance() {
  const QString folder = QString::fromStdString(scrivel::AppFolder());
  g_strings.Load(folder, 10008, 10012);
  CScrivelUpDataDlg dlg(folder, scrivel::UpdateBaseUrl(), scrivel::UpdatePublicKey());
  dlg.exec();
  return false;
}
