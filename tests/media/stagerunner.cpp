// Runs one media stage in a process of its own, so a test sees exactly what
// the stage prints on stdout and survives whatever the stage does.
//   media_stage_runner yuvtoh264 FOLDER/ SECONDS_FILE   (whitespace-separated seconds)
//   media_stage_runner audio FOLDER/
//   media_stage_runner mux FOLDER/ OUTPUT_PATH
// The exit code is the stage's MediaResult.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "media/audioencode.h"
#include "media/avitomp4.h"
#include "media/yuvtoh264.h"

int main(int argc, char** argv) {
  using namespace scrivel;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "yuvtoh264") {
    std::vector<int> seconds;
    std::ifstream in(args[2]);
    for (int second; in >> second;) seconds.push_back(second);
    return static_cast<int>(YUVTOH264(args[1], seconds));
  }
  if (args.size() == 2 && args[0] == "audio") return static_cast<int>(audio_encode_example(args[1]));
  if (args.size() == 3 && args[0] == "mux") return static_cast<int>(AVITOMP4(args[1], args[2]));
  std::fprintf(stderr, "usage: media_stage_runner yuvtoh264|audio|mux FOLDER/ [ARG]\n");
  return 100;
}
