// ScrivelUpData: installs a newer version of Scrivel from the update server.
#include "scrivelupdata/scrivelupdata.h"

int main(int argc, char** argv) {
  CScrivelUpDataApp app(argc, argv);
  app.InitInstance();
  return 0;
}
