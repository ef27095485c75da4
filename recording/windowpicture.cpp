#include "recording/windowpicture.h"

#include <QWidget>

namespace scrivel {

QImage WindowPicture(QWidget& window) {
  QImage picture(window.size(), QImage::Format_RGB32);
  // What the window leaves unpainted is white, as the canvas.
  picture.fill(Qt::white);
  window.render(&picture);
  return picture;
}

}  // namespace scrivel
