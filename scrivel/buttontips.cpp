#include "scrivel/buttontips.h"

#include <QWidget>

#include "lang/languagestrings.h"
#include "scrivel/gdipbutton.h"

namespace scrivel {

void SetButtonTips(QWidget* window, std::initializer_list<ButtonTip> tips,
                   const std::map<int, QKeySequence>& keys) {
  std::map<int, std::map<unsigned, QString>> byButton;
  for (const ButtonTip& tip : tips) {
    QString text = g_strings.Get(tip.text);
    const auto key = keys.find(tip.button);
    if (key != keys.end() && !text.isEmpty())
      text += QStringLiteral(" (%1)").arg(key->second.toString(QKeySequence::NativeText));
    byButton[tip.button][tip.picture] = text;
  }
  for (auto& [id, texts] : byButton)
    if (auto* button = window->findChild<CGdipButton*>(QString::number(id), Qt::FindDirectChildrenOnly))
      button->SetImageTips(std::move(texts));
}

}  // namespace scrivel
