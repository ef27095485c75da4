#pragma once
// Keys that press a window's image buttons: the key does exactly what a click
// on the button does, so both act on the same handler.

#include <QKeySequence>
#include <QList>

#include <map>
#include <vector>

class QWidget;

namespace scrivel {

struct ButtonKeys {
  int button;                // control id (the button's object name)
  QList<QKeySequence> keys;  // the first is the one tooltips name
};

// Each key of `table` clicks its button of `window` while the window is
// active; a hidden or disabled button ignores it.
void InstallButtonShortcuts(QWidget* window, const std::vector<ButtonKeys>& table);

// The first key of each button of `table`, for SetButtonTips.
std::map<int, QKeySequence> FirstKeys(const std::vector<ButtonKeys>& table);

}  // namespace scrivel
