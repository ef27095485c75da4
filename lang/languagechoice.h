#pragma once
// Which language module speaks to the user. Both modules normally ship in the
// application folder; the user's languages (most preferred first, as
// QLocale::uiLanguages() lists them) then decide: the first of them that is
// Chinese or English picks "ScrivelCh.qm" or "ScrivelEn.qm", and English
// serves a user who asks for neither. With only one module present it is
// the one to load (the Chinese one first, should both be tried).

#include <QLocale>
#include <QString>
#include <QStringList>

namespace scrivel {

inline const QString kChineseModule = QStringLiteral("ScrivelCh.qm");
inline const QString kEnglishModule = QStringLiteral("ScrivelEn.qm");

// True when the user's languages ask for Chinese before English.
bool PrefersChinese(const QStringList& uiLanguages);

// The module file names of `folder` in the order to try them: the preferred
// one first when both are there, otherwise the one present (or both, Chinese
// first, when none is present, so that a caller finds that out itself).
QStringList LanguageModuleOrder(const QString& folder, const QStringList& uiLanguages);

// The locale whose Qt translations go with `module`: the user's own Chinese
// variant for the Chinese module (simplified Chinese when the user named
// none), English for the English module.
QLocale ModuleLocale(const QString& module, const QStringList& uiLanguages);

}  // namespace scrivel
