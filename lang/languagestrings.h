#pragma once
// The message texts of the user interface, read once at start-up from a
// language module in the application folder, "ScrivelCh.qm" or
// "ScrivelEn.qm", chosen by the user's languages (lang/languagechoice.h).
// The text of id N is the translation of the source text "N" in context
// "Scrivel"; an id the module lacks stays empty, and so do all ids when
// neither module loads.

#include <QLocale>
#include <QString>
#include <QStringList>

#include <map>

class CLanguageStrings {
 public:
  // A text holds at most this many characters (UTF-16 units); longer ones are cut.
  static constexpr int kMaxChars = 259;

  // Empties ids first..last, then fills them from the first module of
  // `folder` that loads, tried in the order that `uiLanguages` (most
  // preferred first) gives them. Returns the path of that module, or an
  // empty string when none loaded. The module is released again before
  // returning.
  QString Load(const QString& folder, int firstId, int lastId,
               const QStringList& uiLanguages = QLocale::system().uiLanguages());

  // The text of `id`; empty when unknown or not loaded.
  QString Get(int id) const;

 private:
  std::map<int, QString> m_texts;
};

// The program's texts, filled by the start-up.
extern CLanguageStrings g_strings;
