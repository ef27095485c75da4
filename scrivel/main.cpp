// Scrivel: the desktop companion of the digital pen.
#include "scrivel/scrivelapp.h"

int main(int argc, char** argv) {
  CScrivelApp app(argc, argv);
  app.InitInstance();
  return 0;
}
