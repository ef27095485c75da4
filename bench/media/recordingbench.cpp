// recording_cost_bench: what a recording costs as it is written while it runs,
// for simulated recordings of 60 s and 30 min (handwriting pictures at 10 a
// second and a tone, fed as fast as the encoders take them), at the default
// 352 x 288 and at the note window's own 502 x 776.
//   recording_cost_bench [--seconds 60,1800]
// Prints, per recording: temp bytes per recorded second, encoder CPU per
// recorded second, stop-to-file time (once the encoders have caught up, as
// in a recording in real time: their drain and the file's end, then the copy
// to the chosen path and the mail copy), and the sound's end against the
// pictures' end. Asserts nothing.

#include <stdlib.h>
#include <time.h>

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "bench/media/benchinput.h"
#include "bench/media/benchprocess.h"
#include "media/recordingwriter.h"
#include "recording/recordingsave.h"

namespace {

using namespace scrivel;

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A minute of handwriting, scaled to `width` x `height` when that differs.
std::vector<std::vector<uint8_t>> Minute(int width, int height) {
  const std::string raw = bench::HandwritingPictures(60 * kFramesPerSecond);
  std::vector<std::vector<uint8_t>> pictures;
  SwsContext* scale = sws_getContext(kPictureWidth, kPictureHeight, AV_PIX_FMT_YUV420P, width, height,
                                     AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
  for (size_t at = 0; at + kPictureBytes <= raw.size(); at += kPictureBytes) {
    std::vector<uint8_t> picture(PictureBytes(width, height));
    const auto* src = reinterpret_cast<const uint8_t*>(raw.data() + at);
    const uint8_t* srcPlanes[3] = {src, src + kPictureWidth * kPictureHeight,
                                   src + kPictureWidth * kPictureHeight * 5 / 4};
    const int srcStrides[3] = {kPictureWidth, kPictureWidth / 2, kPictureWidth / 2};
    uint8_t* dstPlanes[3] = {picture.data(), picture.data() + width * height,
                             picture.data() + width * height * 5 / 4};
    const int dstStrides[3] = {width, width / 2, width / 2};
    sws_scale(scale, srcPlanes, srcStrides, 0, kPictureHeight, dstPlanes, dstStrides);
    pictures.push_back(std::move(picture));
  }
  sws_freeContext(scale);
  return pictures;
}

// The start and end (s) of each stream of `path`, by ffprobe.
struct StreamSpan {
  double start, end;
};
std::vector<StreamSpan> StreamSpans(const std::string& path) {
  const std::string out = path + ".probe";
  const std::string command = "/usr/bin/ffprobe -v error -show_entries stream=start_time,duration -of csv=p=0 '" +
                              path + "' > '" + out + "'";
  std::vector<StreamSpan> spans;
  if (std::system(command.c_str()) != 0) return spans;
  std::FILE* file = std::fopen(out.c_str(), "r");
  double start = 0, duration = 0;
  while (file != nullptr && std::fscanf(file, "%lf,%lf", &start, &duration) == 2)
    spans.push_back({start, start + duration});
  if (file != nullptr) std::fclose(file);
  return spans;
}

// One recording; returns its line of figures.
std::string Run(const std::string& dir, int seconds, int width, int height,
         const std::vector<std::vector<uint8_t>>& minute, const std::string& tone) {
  const std::string path = dir + "Note.mp4";
  std::filesystem::remove(path);
  CRecordingWriter writer;
  CRecordingWriter::Options options{path, width, height, true};
  double cpu = ProcessCpuSeconds();
  if (writer.Open(options) != MediaResult::Ok) return "cannot open the writer\n";
  for (int second = 0; second < seconds; ++second) {
    for (int i = 0; i < kFramesPerSecond; ++i)
      writer.AddPicture(minute[size_t((second % 60) * kFramesPerSecond + i)], second);
    writer.AddSound(tone.data() + size_t(second % 60) * kSoundBytesPerSecond, kSoundBytesPerSecond);
  }
  writer.EndSoundSegment(int64_t{seconds} * kSoundBytesPerSecond);
  // A recording in real time has no backlog at the stop: let the encoders
  // catch up first (what they still hold is the stop's own cost).
  while (writer.queuedBytes() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // The stop: the writer's end, then the Save As question's answer.
  const auto stop = std::chrono::steady_clock::now();
  const MediaResult finished = writer.Finish(int64_t{seconds} * 1000);
  const auto finishedAt = std::chrono::steady_clock::now();
  cpu = ProcessCpuSeconds() - cpu;
  const int64_t tempBytes = writer.fileBytes();
  const auto confirmed = std::chrono::steady_clock::now();
  const SaveOutcome saved = SaveRecording(QString::fromStdString(path), finished == MediaResult::Ok,
                                          QString::fromStdString(dir + "Chosen.mp4"), QString::fromStdString(dir));
  const auto done = std::chrono::steady_clock::now();
  const std::vector<StreamSpan> spans = StreamSpans(dir + "Chosen.mp4");
  const bool both = spans.size() == 2;
  auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
  char line[400];
  std::snprintf(line, sizeof line,
              "%5d s at %3d x %3d: temp %6.0f B/s, encoder CPU %5.1f ms per recorded s, "
              "stop to file %6.1f ms (end of file %5.1f ms + save and mail copy %5.1f ms)%s, "
              "sound starts (its priming frame) %+.1f ms and ends %+.1f ms after the pictures\n",
              seconds, width, height, double(tempBytes) / seconds, cpu * 1000 / seconds, ms(stop, done),
              ms(stop, finishedAt), ms(confirmed, done), saved.saved && saved.mailCopy ? "" : " [SAVE FAILED]",
              both ? (spans[1].start - spans[0].start) * 1000 : 0, both ? (spans[1].end - spans[0].end) * 1000 : 0);
  std::filesystem::remove(dir + "Chosen.mp4");
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<int> lengths = {60, 1800};
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) {
      lengths.clear();
      std::stringstream list(argv[i + 1]);
      for (std::string item; std::getline(list, item, ',');) lengths.push_back(std::max(1, std::atoi(item.c_str())));
    }
  av_log_set_level(AV_LOG_ERROR);
  std::string pattern = (std::filesystem::temp_directory_path() / "scrivel-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string dir = pattern + "/";
  const std::string tone = bench::TonePcm(60);
  std::printf("recording_cost_bench: simulated recordings, fed as fast as the encoders take them\n");
  for (const auto& size : {std::pair{kPictureWidth, kPictureHeight}, std::pair{502, 776}}) {
    const auto minute = Minute(size.first, size.second);
    for (int seconds : lengths) {
      std::string line;
      {
        bench::QuietStdout quiet;
        line = Run(dir, seconds, size.first, size.second, minute, tone);
        std::fflush(stdout);
      }
      std::fputs(line.c_str(), stdout);
      std::fflush(stdout);
    }
  }
  std::filesystem::remove_all(pattern);
  return 0;
}
