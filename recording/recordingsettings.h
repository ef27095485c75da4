#pragma once
// The user's recording settings, in ~/.config/Scrivel/Scrivel.conf
// ($XDG_CONFIG_HOME/Scrivel/Scrivel.conf), section [Recording]:
//   PictureSize=352x288   the video's picture (default): the window fitted in
//   PictureSize=window    the note window's own size (even numbers), for
//                         handwriting that stays readable

#include <QSize>

namespace scrivel {

// The picture size of a recording of a window of `windowSize`.
QSize RecordingPictureSize(const QSize& windowSize);

}  // namespace scrivel
