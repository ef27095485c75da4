#include "scrivel/notekeeping.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "note/notekeeper.h"
#include "note/notemodel.h"

namespace scrivel {

std::unique_ptr<CNoteKeeper> KeepLiveNote(QWidget* window, CNoteModel& model) {
  const QPointer<QWidget> owner(window);
  auto tell = [owner](const QString& why) {
    // Never in the middle of the caller's work: once the event loop runs.
    QTimer::singleShot(0, owner, [owner, why] {
      QMessageBox box(QMessageBox::Warning, QStringLiteral("Scrivel"), why, QMessageBox::Ok, owner);
      box.exec();
    });
  };
  auto keeper = std::make_unique<CNoteKeeper>(CNoteKeeper::NotesFolder(), model.CanvasRect().size(),
                                              QDateTime::currentDateTime(), tell);
  model.SetActionListener([k = keeper.get()](const NoteAction& action) { k->Record(action); });
  return keeper;
}

}  // namespace scrivel
