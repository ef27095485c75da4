#pragma once
// The updater's application object: loads its texts and runs the main window.

#include <QApplication>

class CScrivelUpDataApp : public QApplication {
 public:
  CScrivelUpDataApp(int& argc, char** argv);
  // Runs the whole program; returns when the main window has closed.
  bool InitInstance();
};
