#include "scrivel/notekeeping.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

#include "note/notekeeper.h"
#include "note/notemodel.h"

namespace scrivel {

std::unique_ptr<CNoteKeeper> KeepLiveNote(QWidget* window, CNoteModel& model) {
  const QPointer<QWidget> owner(window);
  auto tell = [owner](const QString& why) {
    // Never in the middle of the caller's work: once the event loop runs;
    // also after the window has gone (a failed last write).
    QTimer::singleShot(0, QCoreApplication::instance(), [owner, why] {
      QMessageBox box(QMessageBox::Warning, QStringLiteral("Scrivel"), why, QMessageBox::Ok, owner.data());
      box.exec();
    });
  };
  auto keeper = std::make_unique<CNoteKeeper>(CNoteKeeper::NotesFolder(), model.CanvasRect().size(),
                                              QDateTime::currentDateTime(), tell);
  model.SetActionListener([k = keeper.get()](const NoteAction& action) { k->Record(action); });
  return keeper;
}

namespace {

// Keepers whose window has closed, until their worker has ended. UI thread only.
std::vector<std::unique_ptr<CNoteKeeper>>& ClosingKeepers() {
  static std::vector<std::unique_ptr<CNoteKeeper>> keepers;
  return keepers;
}

}  // namespace

void FinishKeepingInBackground(std::unique_ptr<CNoteKeeper> keeper) {
  auto& closing = ClosingKeepers();
  std::erase_if(closing, [](const auto& k) { return k->Finished(); });
  keeper->CloseInBackground();
  closing.push_back(std::move(keeper));
}

void WaitForKeptNotes() {
  for (const auto& keeper : ClosingKeepers()) keeper->Wait();
  ClosingKeepers().clear();
}

}  // namespace scrivel
