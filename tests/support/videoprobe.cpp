#include "tests/support/videoprobe.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

const std::string kFfprobe = "/usr/bin/ffprobe";
const std::string kFfmpeg = "/usr/bin/ffmpeg";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

std::string DecodeTo(const std::string& path, const std::vector<std::string>& options) {
  TempDir dir;
  const std::string out = dir.file("decoded.raw");
  std::vector<std::string> args = {"-v", "error", "-i", path};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(out);
  const RunResult run = Run(kFfmpeg, args, {}, std::chrono::seconds(120));
  return run.exitCode == 0 ? ReadFile(out) : std::string();
}

}  // namespace

VideoProbe ProbeVideo(const std::string& path) {
  VideoProbe probe;
  const RunResult streams =
      Run(kFfprobe, {"-v", "error", "-count_frames", "-show_entries",
                     "stream=codec_name,codec_type,width,height,sample_rate,channels,duration,nb_read_frames", "-of",
                     "csv=p=0", path},
          {}, std::chrono::seconds(120));
  if (streams.exitCode != 0) {
    probe.error = streams.err;
    return probe;
  }
  // Video: codec,type,width,height,duration,frames; audio: codec,type,rate,channels,duration,frames.
  for (const std::string& line : Lines(streams.out)) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 6) continue;
    probe.streams += f[0] + "," + f[1] + "," + f[2] + "," + f[3] + ";";
    if (f[1] == "video") {
      probe.width = std::atoi(f[2].c_str());
      probe.height = std::atoi(f[3].c_str());
      probe.videoSeconds = std::atof(f[4].c_str());
      probe.frames = std::atol(f[5].c_str());
    } else if (f[1] == "audio") {
      probe.audioSeconds = std::atof(f[4].c_str());
    }
  }
  probe.ok = probe.width > 0;
  if (!probe.ok) probe.error = streams.out + streams.err;
  return probe;
}

std::string DecodePictures(const std::string& path) {
  return DecodeTo(path, {"-map", "0:v:0", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-y"});
}

std::string DecodeSound(const std::string& path) {
  return DecodeTo(path, {"-map", "0:a:0?", "-f", "s16le", "-ar", "44100", "-ac", "2", "-y"});
}

double SeekLandsAt(const std::string& path, double seconds) {
  // An exact seek: ffmpeg decodes from the key frame before and shows the
  // first picture at or after `seconds`, with the file's own timestamps.
  const RunResult run = Run(kFfmpeg, {"-v", "info", "-nostats", "-copyts", "-ss", std::to_string(seconds), "-i", path,
                                      "-frames:v", "1", "-vf", "showinfo", "-f", "null", "-"});
  const size_t at = run.err.find("pts_time:");
  if (run.exitCode != 0 || at == std::string::npos) return -1;
  return std::atof(run.err.c_str() + at + 9);
}

double FirstFrameTime(const std::string& path, const std::string& stream) {
  const RunResult run = Run(kFfprobe, {"-v", "error", "-select_streams", stream, "-read_intervals", "%+#1",
                                       "-show_entries", "frame=pts_time", "-of", "csv=p=0", path});
  const std::vector<std::string> lines = Lines(run.out);
  if (run.exitCode != 0 || lines.empty()) return std::nan("");
  return std::atof(lines.front().c_str());
}

std::string DecodePictureAt(const std::string& path, double seconds) {
  return DecodeTo(path, {"-ss", std::to_string(seconds), "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "yuv420p",
                         "-y"});
}

}  // namespace scrivel::test
