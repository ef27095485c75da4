#pragma once
// A screen of a chosen size for Qt's offscreen platform: the value of
// QT_QPA_PLATFORM that makes the offscreen platform show one screen of
// width x height pixels, its description written into `configPath`.

#include <string>

namespace scrivel::test {

std::string OffscreenPlatform(int width, int height, const std::string& configPath);

}  // namespace scrivel::test
