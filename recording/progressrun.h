#pragma once
// Long work off the UI thread with a progress dialog in front of the window:
// the window keeps painting while the work runs, and its input is held off.

#include <functional>

class QWidget;

namespace scrivel {

// Reports the fraction of the work done (0 to 1); callable from any thread.
using ProgressReport = std::function<void(double fraction)>;

// Runs `work` on a thread of its own and returns when it has finished. A
// window-modal progress dialog owned by `owner` shows the reported fraction
// meanwhile; the UI thread's events run.
void RunWithProgress(QWidget* owner, const std::function<void(const ProgressReport&)>& work);

}  // namespace scrivel
