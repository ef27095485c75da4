#pragma once
// Encodes the recorded pictures of <tempFolder>"Note.yuv" (352 x 288 planar
// YUV 4:2:0, one after the other) into the H.264 elementary stream
// <tempFolder>"Note.h264", at 10 frames per recorded second: `frameSeconds`
// holds the recording second of each picture, in file order (see FrameGrid).
// Progress and failures are printed on stdout.

#include <string>
#include <vector>

#include "media/mediaresult.h"

namespace scrivel {

// `tempFolder` ends with "/". Runs on the calling thread; `progress` receives
// the fraction of pictures consumed.
MediaResult YUVTOH264(const std::string& tempFolder, const std::vector<int>& frameSeconds,
                      const MediaProgress& progress = {});

}  // namespace scrivel
