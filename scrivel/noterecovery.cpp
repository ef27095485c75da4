#include "scrivel/noterecovery.h"

#include <QFileInfo>
#include <QMessageBox>

#include "note/notekeeper.h"

namespace scrivel {

QString RecoveryMessage(const std::vector<RecoveredNote>& recovered, const QString& folder) {
  if (recovered.empty()) return {};
  QStringList kept, problems;
  for (const RecoveredNote& note : recovered) {
    if (!note.document.isEmpty()) kept << QFileInfo(note.document).fileName();
    if (!note.keptAside.isEmpty() && !note.document.isEmpty())
      problems << QStringLiteral("Part of a note could not be read: %1 holds what was intact; the rest is kept in %2.")
                      .arg(note.document, note.keptAside);
    else if (!note.keptAside.isEmpty())
      problems << QStringLiteral("A note's journal could not be read; it is kept as %1.").arg(note.keptAside);
    else if (!note.problem.isEmpty())
      problems << QStringLiteral("A note could not be finished: %1").arg(note.problem);
  }
  QString text;
  if (!kept.isEmpty())
    text = QStringLiteral("Scrivel recovered %1 live note(s) that were not closed properly. They are in %2:\n%3")
               .arg(kept.size())
               .arg(folder, kept.join(QLatin1Char('\n')));
  for (const QString& problem : problems) text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + problem;
  return text;
}

void RecoverLiveNotes(QWidget* parent) {
  const QString folder = CNoteKeeper::NotesFolder();
  const QString text = RecoveryMessage(RecoverNotes(folder), folder);
  if (text.isEmpty()) return;
  QMessageBox box(QMessageBox::Information, QStringLiteral("Scrivel"), text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace scrivel
