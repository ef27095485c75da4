// language_probe FOLDER: the language start-up of both programs as a real
// process sees it, its languages taken from the environment (LANG,
// LC_MESSAGES, LC_ALL, LANGUAGE). Prints the module loaded, Qt's
// translation installed and Qt's own text for a Cancel button, one a line.
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

#include "lang/languagestrings.h"
#include "lang/userlanguage.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: language_probe FOLDER\n");
    return 2;
  }
  CLanguageStrings strings;
  const scrivel::LoadedLanguage loaded = scrivel::LoadUserLanguage(strings, QString::fromLocal8Bit(argv[1]), 10001, 10012);
  std::printf("module=%s\n", qPrintable(QFileInfo(loaded.module).fileName()));
  std::printf("qt=%s\n", qPrintable(QFileInfo(loaded.qtTranslation).fileName()));
  std::printf("cancel=%s\n", QCoreApplication::translate("QPlatformTheme", "Cancel").toUtf8().constData());
  return 0;
}
