#include "lang/languagestrings.h"

#include "lang/languagechoice.h"

#include <QFileInfo>
#include <QTranslator>

CLanguageStrings g_strings;

namespace {

QString CutText(QString text) {
  if (text.size() <= CLanguageStrings::kMaxChars) return text;
  qsizetype length = CLanguageStrings::kMaxChars;
  // Never keep half of a surrogate pair.
  if (text.at(length - 1).isHighSurrogate()) --length;
  text.truncate(length);
  return text;
}

}  // namespace

QString CLanguageStrings::Load(const QString& folder, int firstId, int lastId,
                               const QStringList& uiLanguages) {
  for (int id = firstId; id <= lastId; ++id) m_texts[id].clear();

  QTranslator module;
  QString loaded;
  for (const QString& name : scrivel::LanguageModuleOrder(folder, uiLanguages)) {
    const QString path = folder + QLatin1Char('/') + name;
    // Given a missing file, the translator goes on to try shorter names cut at
    // '_' and '.', which could reach an unrelated file; only this file counts.
    if (!QFileInfo(path).isFile()) continue;
    if (module.load(name, folder)) {
      loaded = path;
      break;
    }
  }
  if (loaded.isEmpty()) return loaded;

  for (int id = firstId; id <= lastId; ++id) {
    const QByteArray source = QByteArray::number(id);
    m_texts[id] = CutText(module.translate("Scrivel", source.constData()));
  }
  return loaded;
}

QString CLanguageStrings::Get(int id) const {
  const auto it = m_texts.find(id);
  return it == m_texts.end() ? QString() : it->second;
}
