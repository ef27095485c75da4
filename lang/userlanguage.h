#pragma once
// The language start-up that the application and the updater share: the
// texts of the module the user's languages choose, and Qt's own texts
// (message box buttons, file and colour dialogs) in the same language.

#include <QLocale>
#include <QString>
#include <QStringList>

#include "lang/languagestrings.h"

namespace scrivel {

struct LoadedLanguage {
  QString module;         // path of the language module loaded; empty: none
  QString qtTranslation;  // path of Qt's translation installed; empty: none
                          // (English needs none: Qt's own texts are English)
};

// Fills ids firstId..lastId of `strings` from the module of `folder` that
// `uiLanguages` choose (CLanguageStrings::Load), then installs Qt's
// translations for that module's language from Qt's translations folder,
// replacing any installed by an earlier call. With no module loaded, Qt's
// translations follow the user's languages alone.
LoadedLanguage LoadUserLanguage(CLanguageStrings& strings, const QString& folder, int firstId, int lastId,
                                const QStringList& uiLanguages = QLocale::system().uiLanguages());

}  // namespace scrivel
