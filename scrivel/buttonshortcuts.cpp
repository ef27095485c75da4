#include "scrivel/buttonshortcuts.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

namespace scrivel {

void InstallButtonShortcuts(QWidget* window, const std::vector<ButtonKeys>& table) {
  for (const ButtonKeys& entry : table) {
    auto* button = window->findChild<QAbstractButton*>(QString::number(entry.button), Qt::FindDirectChildrenOnly);
    if (button == nullptr) continue;
    for (const QKeySequence& key : entry.keys) {
      auto* shortcut = new QShortcut(key, window);
      QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isVisible() && button->isEnabled()) button->click();
      });
    }
  }
}

std::map<int, QKeySequence> FirstKeys(const std::vector<ButtonKeys>& table) {
  std::map<int, QKeySequence> first;
  for (const ButtonKeys& entry : table)
    if (!entry.keys.isEmpty()) first.emplace(entry.button, entry.keys.constFirst());
  return first;
}

}  // namespace scrivel
