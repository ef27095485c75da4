#pragma once
// The picture of a window as the recording captures it at each tick.

#include <QImage>

class QWidget;

namespace scrivel {

// The window rendered with its children into a new RGB32 image of its size.
// Rendering straight into an image costs a third of a grab's slowest ticks:
// no pixmap to set up and convert.
QImage WindowPicture(QWidget& window);

}  // namespace scrivel
