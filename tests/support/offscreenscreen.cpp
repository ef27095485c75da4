#include "tests/support/offscreenscreen.h"

#include <fstream>

namespace scrivel::test {

std::string OffscreenPlatform(int width, int height, const std::string& configPath) {
  std::ofstream(configPath) << "{\"screens\": [{\"name\": \"screen0\", \"x\": 0, \"y\": 0, \"width\": " << width
                            << ", \"height\": " << height
                            << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n";
  return "offscreen:configfile=" + configPath;
}

}  // namespace scrivel::test
