#pragma once
// Joins <tempFolder>"Note.h264" and <tempFolder>"Note.aac" into one file at
// `outputPath` without re-encoding; the container follows the output's name
// (MP4 for "*.mp4"). The raw H.264 stream is read at 10 frames per second,
// the rate it was encoded at. Without a usable "Note.aac" the file holds the
// video alone. Progress and failures are printed on stdout.

#include <string>

#include "media/mediaresult.h"

namespace scrivel {

// An empty `outputPath` writes and prints nothing and returns
// MediaResult::EmptyOutputPath: the caller shows language string 10007 in a
// message box. The folder of `outputPath` must exist. Runs on the calling
// thread; `progress` receives the fraction of the video input read.
MediaResult AVITOMP4(const std::string& tempFolder, const std::string& outputPath,
                     const MediaProgress& progress = {});

}  // namespace scrivel
