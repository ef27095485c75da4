#include "progressrun.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>

namespace scrivel {

void RunWithProgress(QWidget* owner, const std::function<void(const ProgressReport&)>& work) {
  static constexpr int kSteps = 1000;
  std::atomic<int> done{0};
  std::atomic<bool> finished{false};

  QProgressDialog dialog(owner);
  dialog.setWindowTitle(QStringLiteral("Scrivel"));
  dialog.setCancelButton(nullptr);
  dialog.setRange(0, kSteps);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setValue(0);
  dialog.show();

  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    dialog.setValue(done.load());
    if (finished.load()) loop.quit();
  });
  poll.start(25);

  std::thread worker([&] {
    const ProgressReport report = [&done](double fraction) {
      done = std::clamp(static_cast<int>(fraction * kSteps), 0, kSteps);
    };
    work(report);
    finished = true;
  });
  loop.exec();
  worker.join();
  dialog.setValue(kSteps);
  dialog.hide();
}

}  // namespace scrivel
