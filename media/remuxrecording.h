#pragma once
// Makes a finished MP4 out of a recording's fragmented file, also one that a
// crash or a full disk cut short: every packet that can still be read is
// copied, without re-encoding, into `outputPath` (a plain MP4 whose index
// follows the data). A cut last fragment is left out.

#include <string>

#include "media/mediaresult.h"

namespace scrivel {

struct RemuxReport {
  MediaResult result = MediaResult::Failed;
  double seconds = 0;  // the video's length in the output
};

RemuxReport RemuxRecording(const std::string& inputPath, const std::string& outputPath);

}  // namespace scrivel
