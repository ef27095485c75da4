#include "lang/languagechoice.h"

#include <QFileInfo>

namespace scrivel {

namespace {

QLocale::Language LanguageOf(const QString& tag) { return QLocale(tag).language(); }

}  // namespace

bool PrefersChinese(const QStringList& uiLanguages) {
  for (const QString& tag : uiLanguages) {
    const QLocale::Language language = LanguageOf(tag);
    if (language == QLocale::Chinese) return true;
    if (language == QLocale::English) return false;
  }
  return false;
}

QStringList LanguageModuleOrder(const QString& folder, const QStringList& uiLanguages) {
  const auto present = [&folder](const QString& name) {
    return QFileInfo(folder + QLatin1Char('/') + name).isFile();
  };
  const bool chinese = present(kChineseModule), english = present(kEnglishModule);
  if (chinese && english) {
    if (PrefersChinese(uiLanguages)) return {kChineseModule, kEnglishModule};
    return {kEnglishModule, kChineseModule};
  }
  if (english) return {kEnglishModule};
  if (chinese) return {kChineseModule};
  return {kChineseModule, kEnglishModule};
}

QLocale ModuleLocale(const QString& module, const QStringList& uiLanguages) {
  if (module != kChineseModule) return QLocale(QLocale::English, QLocale::UnitedStates);
  for (const QString& tag : uiLanguages)
    if (LanguageOf(tag) == QLocale::Chinese) return QLocale(tag);
  return QLocale(QLocale::Chinese, QLocale::China);
}

}  // namespace scrivel
