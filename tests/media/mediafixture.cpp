#include "tests/media/mediafixture.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/process.h"

namespace scrivel::test {

int PictureLevel(int64_t picture) { return 16 + 8 * static_cast<int>(picture); }

std::string LumaPictures(int count) {
  std::string data;
  for (int i = 0; i < count; ++i) {
    data.append(size_t{kWidth} * kHeight, static_cast<char>(PictureLevel(i)));
    data.append(size_t{kWidth} * kHeight / 2, static_cast<char>(128));
  }
  return data;
}

std::string Tone(size_t bytes) {
  std::string data(bytes / 4 * 4, '\0');
  for (size_t i = 0; i < data.size() / 4; ++i) {
    const auto s = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / 44100));
    for (int ch = 0; ch < 2; ++ch) {
      data[i * 4 + ch * 2] = static_cast<char>(s & 0xff);
      data[i * 4 + ch * 2 + 1] = static_cast<char>((s >> 8) & 0xff);
    }
  }
  return data;
}

std::string SecondsText(const std::vector<int>& seconds) {
  std::string text;
  for (int s : seconds) text += std::to_string(s) + " ";
  return text;
}

StageOutput RunStage(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  const RunResult r = Run(MEDIA_STAGE_RUNNER, args, env, std::chrono::seconds(120));
  return {r.exitCode, r.out, r.err};
}

std::vector<ProbedStream> ProbeStreams(const std::string& path) {
  const RunResult r = Run("/usr/bin/ffprobe", {"-v", "error", "-show_streams", "-count_frames", "-of", "json", path});
  std::vector<ProbedStream> streams;
  // ffprobe's JSON has one key per line; stream objects sit at depth 2, and
  // their nested objects (disposition, tags) are skipped.
  int depth = 0;
  bool inStreams = false;
  size_t start = 0;
  while (start < r.out.size()) {
    size_t end = r.out.find('\n', start);
    if (end == std::string::npos) end = r.out.size();
    std::string line = r.out.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    line = line.substr(first);
    if (depth == 1 && line.rfind("\"streams\"", 0) == 0) inStreams = true;
    if (depth == 1 && line.rfind("\"streams\"", 0) != 0 && line[0] == '"') inStreams = false;
    const bool opens = line.back() == '{' || line.back() == '[';
    const bool closes = line[0] == '}' || line[0] == ']';
    if (closes) {
      --depth;
      continue;
    }
    if (inStreams && depth == 2 && line[0] == '{') streams.emplace_back();
    if (inStreams && depth == 3 && line[0] == '"' && !opens) {
      const size_t colon = line.find("\": ");
      if (colon != std::string::npos) {
        std::string key = line.substr(1, colon - 1);
        std::string value = line.substr(colon + 3);
        if (!value.empty() && value.back() == ',') value.pop_back();
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        streams.back()[key] = value;
      }
    }
    if (opens) ++depth;
  }
  return streams;
}

const ProbedStream* FindStream(const std::vector<ProbedStream>& streams, const std::string& type) {
  for (const auto& s : streams) {
    auto it = s.find("codec_type");
    if (it != s.end() && it->second == type) return &s;
  }
  return nullptr;
}

std::vector<int64_t> DecodedPictures(const std::string& path) {
  // Decoded as stored (planar YUV 4:2:0), so the luma levels are not rescaled.
  const std::string raw = path + ".decoded.yuv";
  const RunResult r = Run("/usr/bin/ffmpeg", {"-v", "error", "-y", "-i", path, "-map", "0:v:0", "-fps_mode",
                                              "passthrough", "-f", "rawvideo", "-pix_fmt", "yuv420p", raw});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string frames = ReadFile(raw);
  std::filesystem::remove(raw);
  const size_t frameBytes = kPictureBytes;
  EXPECT_EQ(frames.size() % frameBytes, 0u);
  std::vector<int64_t> pictures;
  for (size_t f = 0; f + frameBytes <= frames.size(); f += frameBytes) {
    // The mean of the middle of the frame, away from any edge effects.
    double sum = 0;
    int n = 0;
    for (int y = kHeight / 4; y < kHeight * 3 / 4; ++y)
      for (int x = kWidth / 4; x < kWidth * 3 / 4; ++x, ++n)
        sum += static_cast<unsigned char>(frames[f + static_cast<size_t>(y) * kWidth + x]);
    const double mean = sum / n;
    const long picture = std::lround((mean - 16) / 8);
    const bool matches = std::fabs(mean - PictureLevel(picture)) <= 2.5;
    pictures.push_back(matches ? picture : -1);
  }
  return pictures;
}

std::vector<double> FrameTimes(const std::string& path) {
  const RunResult r = Run("/usr/bin/ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                               "frame=pts_time", "-of", "csv=p=0", path});
  std::vector<double> times;
  size_t start = 0;
  while (start < r.out.size()) {
    size_t end = r.out.find('\n', start);
    if (end == std::string::npos) end = r.out.size();
    const std::string line = r.out.substr(start, end - start);
    if (!line.empty()) times.push_back(std::atof(line.c_str()));
    start = end + 1;
  }
  return times;
}

size_t Count(const std::string& text, const std::string& needle) {
  size_t n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
  return n;
}

StageOutput MediaTest::EncodeVideo(int pictures, const std::vector<int>& seconds) {
  WriteFile(file("Note.yuv"), LumaPictures(pictures));
  WriteFile(file("seconds.txt"), SecondsText(seconds));
  return RunStage({"yuvtoh264", folder(), file("seconds.txt")});
}

StageOutput MediaTest::EncodeSound(size_t bytes) {
  WriteFile(file("Note.pcm"), Tone(bytes));
  return RunStage({"audio", folder()});
}

}  // namespace scrivel::test
