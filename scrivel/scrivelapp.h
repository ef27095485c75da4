#pragma once
// The application object: reads the language texts (in the user's language),
// runs the main window modally and ends the program when the window closes.

#include <QApplication>

class CScrivelApp : public QApplication {
  Q_OBJECT

 public:
  CScrivelApp(int& argc, char** argv);

  // Runs the whole program; returns false, as the program ends with it.
  bool InitInstance();
};
