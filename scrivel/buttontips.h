#pragma once
// Tooltips for a window's image buttons, from the language texts, so that
// every button says what it does in the user's language. A button whose
// picture shows a state (pen connected or not, recording or not) gets one
// text per picture.

#include <QKeySequence>
#include <QString>

#include <initializer_list>
#include <map>

class QWidget;

namespace scrivel {

struct ButtonTip {
  int button;        // control id (the button's object name)
  unsigned picture;  // the picture the text goes with; 0: any picture
  int text;          // language text id
};

// Gives the image buttons of `window` the tooltips of `tips`. A button found
// in `keys` has its first key sequence added to each of its texts, as in
// "Undo (Ctrl+Z)".
void SetButtonTips(QWidget* window, std::initializer_list<ButtonTip> tips,
                   const std::map<int, QKeySequence>& keys = {});

}  // namespace scrivel
