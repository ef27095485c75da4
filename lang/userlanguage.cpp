#include "lang/userlanguage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "lang/languagechoice.h"

namespace scrivel {

namespace {

// Qt's translations installed by the last call; the application owns it.
QTranslator* g_qtTranslator = nullptr;

QString InstallQtTranslation(const QLocale& locale) {
  if (g_qtTranslator != nullptr) {
    QCoreApplication::removeTranslator(g_qtTranslator);
    delete g_qtTranslator;
    g_qtTranslator = nullptr;
  }
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) return {};
  if (QCoreApplication::instance() == nullptr || !QCoreApplication::installTranslator(translator.get()))
    return {};
  g_qtTranslator = translator.release();
  return g_qtTranslator->filePath();
}

}  // namespace

LoadedLanguage LoadUserLanguage(CLanguageStrings& strings, const QString& folder, int firstId, int lastId,
                                const QStringList& uiLanguages) {
  LoadedLanguage loaded;
  loaded.module = strings.Load(folder, firstId, lastId, uiLanguages);
  const QString moduleName = QFileInfo(loaded.module).fileName();
  const QLocale locale = moduleName.isEmpty()
                             ? ModuleLocale(PrefersChinese(uiLanguages) ? kChineseModule : kEnglishModule,
                                            uiLanguages)
                             : ModuleLocale(moduleName, uiLanguages);
  loaded.qtTranslation = InstallQtTranslation(locale);
  return loaded;
}

}  // namespace scrivel
