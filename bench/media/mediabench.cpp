// media_bench: the media stages against the ffmpeg command line on the raw
// files of a 60-second recording (600 pictures of handwriting, 60 s of tone).
//   media_bench [--runs N]     (each timing is the median of N runs; default 3)
// Prints times, ratios, sizes and PSNR; asserts nothing.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "bench/media/benchinput.h"
#include "bench/media/benchprocess.h"
#include "media/audioencode.h"
#include "media/avitomp4.h"
#include "media/yuvtoh264.h"

namespace {

using namespace scrivel;
using namespace scrivel::bench;

constexpr int kSeconds = 60;
constexpr int kPictures = kSeconds * 10;
const std::string kFfmpeg = "/usr/bin/ffmpeg";

std::string g_dir;  // the temp folder, with a trailing "/"
int g_runs = 3;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

double TimeOnce(const std::function<bool()>& work) {
  const auto start = std::chrono::steady_clock::now();
  bool ok;
  {
    QuietStdout quiet;
    ok = work();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return ok ? elapsed.count() : -1;
}

// Median wall time of `g_runs` calls of `work`; -1 when a call fails.
double TimeStage(const std::function<bool()>& work) {
  std::vector<double> times;
  for (int i = 0; i < g_runs; ++i) {
    const double t = TimeOnce(work);
    if (t < 0) return -1;
    times.push_back(t);
  }
  return Median(times);
}

struct Pair {
  double ours = -1;
  double cli = -1;
};

// Our stage and the command line, run in turns so that load from elsewhere on
// the machine falls on both alike; medians of `g_runs` runs each.
Pair Compare(const std::function<bool()>& ours, const std::vector<std::string>& cli) {
  std::vector<double> a, b;
  for (int i = 0; i < g_runs; ++i) {
    const double t = TimeOnce(ours);
    const double u = TimeCommand(cli);
    if (t < 0 || u < 0) return {};
    a.push_back(t);
    b.push_back(u);
  }
  return {Median(a), Median(b)};
}

std::uintmax_t Size(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

// The average PSNR (dB) of a raw H.264 stream against the raw pictures.
double Psnr(const std::string& h264) {
  const std::string log = g_dir + "psnr.log";
  const double t = TimeCommand({kFfmpeg, "-nostats", "-f", "h264", "-framerate", "10", "-i", h264, "-f", "rawvideo",
                                "-pix_fmt", "yuv420p", "-s", "352x288", "-r", "10", "-i", g_dir + "Note.yuv",
                                "-lavfi", "[0:v][1:v]psnr", "-f", "null", "-"},
                               log);
  if (t < 0) return -1;
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  const size_t at = s.find("average:");
  return at == std::string::npos ? -1 : std::atof(s.c_str() + at + 8);
}

void Row(const char* what, double ours, double cli) {
  std::printf("%-34s ours %7.3f s   ffmpeg %7.3f s   ratio %5.2fx\n", what, ours, cli,
              cli > 0 ? ours / cli : 0.0);
}

bool Video() { return YUVTOH264(g_dir, FrameSeconds(kPictures)) == MediaResult::Ok; }
bool Sound() { return audio_encode_example(g_dir) == MediaResult::Ok; }
bool MuxTwice() {
  return AVITOMP4(g_dir, g_dir + "Chosen.mp4") == MediaResult::Ok &&
         AVITOMP4(g_dir, g_dir + "FMMAPI/Note.mp4") == MediaResult::Ok;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0) g_runs = std::max(1, std::atoi(argv[i + 1]));
  av_log_set_level(AV_LOG_ERROR);

  std::string pattern = (std::filesystem::temp_directory_path() / "scrivel-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  g_dir = pattern + "/";
  std::filesystem::create_directory(g_dir + "FMMAPI");
  std::ofstream(g_dir + "Note.yuv", std::ios::binary) << HandwritingPictures(kPictures);
  std::ofstream(g_dir + "Note.pcm", std::ios::binary) << TonePcm(kSeconds);
  std::printf("media_bench: %d pictures (%.1f MB), %d s of sound, median of %d runs, %u hardware threads\n",
              kPictures, Size(g_dir + "Note.yuv") / 1e6, kSeconds, g_runs, std::thread::hardware_concurrency());

  // H.264.
  const auto x264 = [&](const char* bframes, const std::string& out) {
    return std::vector<std::string>{kFfmpeg, "-y", "-v", "error", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s",
                                    "352x288", "-r", "10", "-i", g_dir + "Note.yuv", "-c:v", "libx264", "-preset",
                                    "slow", "-tune", "zerolatency", "-b:v", "400k", "-g", "250", "-qmin", "10",
                                    "-qmax", "51", "-bf", bframes, out};
  };
  const Pair video3 = Compare(Video, x264("3", g_dir + "cli.h264"));
  const Pair video0 = Compare(Video, x264("0", g_dir + "cli_bf0.h264"));
  std::filesystem::copy_file(g_dir + "Note.h264", g_dir + "ours.h264",
                             std::filesystem::copy_options::overwrite_existing);
  Row("H.264 (ffmpeg -bf 3, as given)", video3.ours, video3.cli);
  Row("H.264 (ffmpeg -bf 0, like ours)", video0.ours, video0.cli);
  const double psnrOurs = Psnr(g_dir + "ours.h264");
  const double psnrCli = Psnr(g_dir + "cli.h264");
  const double psnrCli0 = Psnr(g_dir + "cli_bf0.h264");
  std::printf("  size: ours %ju B, ffmpeg -bf 3 %ju B (%+.1f%%), -bf 0 %ju B (%+.1f%%)\n", Size(g_dir + "ours.h264"),
              Size(g_dir + "cli.h264"),
              100.0 * (double(Size(g_dir + "ours.h264")) / double(Size(g_dir + "cli.h264")) - 1),
              Size(g_dir + "cli_bf0.h264"),
              100.0 * (double(Size(g_dir + "ours.h264")) / double(Size(g_dir + "cli_bf0.h264")) - 1));
  std::printf("  PSNR: ours %.2f dB, ffmpeg -bf 3 %.2f dB (%+.2f), -bf 0 %.2f dB (%+.2f)\n", psnrOurs, psnrCli,
              psnrOurs - psnrCli, psnrCli0, psnrOurs - psnrCli0);

  // AAC.
  const Pair sound = Compare(Sound, {kFfmpeg, "-y", "-v", "error", "-f", "s16le", "-ar", "44100", "-ac", "2", "-i",
                                     g_dir + "Note.pcm", "-c:a", "aac", "-b:a", "64k", g_dir + "cli.aac"});
  Row("AAC", sound.ours, sound.cli);
  std::printf("  size: ours %ju B, ffmpeg %ju B\n", Size(g_dir + "Note.aac"), Size(g_dir + "cli.aac"));

  // MP4.
  const Pair mux = Compare([] { return AVITOMP4(g_dir, g_dir + "Chosen.mp4") == MediaResult::Ok; },
                           {kFfmpeg, "-y", "-v", "error", "-i", g_dir + "Note.h264", "-i", g_dir + "Note.aac", "-c",
                            "copy", g_dir + "cli.mp4"});
  Row("MP4 mux", mux.ours, mux.cli);
  std::printf("  size: ours %ju B, ffmpeg %ju B\n", Size(g_dir + "Chosen.mp4"), Size(g_dir + "cli.mp4"));

  // Stop to MP4: both encoders, then the mux to the chosen path and to the mail folder.
  const double sequential = TimeStage([] { return Sound() && Video() && MuxTwice(); });
  const double parallel = TimeStage([] {
    bool videoOk = false;
    std::thread video([&] { videoOk = Video(); });
    const bool soundOk = Sound();
    video.join();
    return videoOk && soundOk && MuxTwice();
  });
  std::printf("%-34s %7.3f s\n", "stop to MP4, one thread", sequential);
  std::printf("%-34s %7.3f s\n", "stop to MP4, encoders side by side", parallel);
  std::printf("%-34s %7.3f s (sum of the CLI steps, -bf 3)\n", "stop to MP4, ffmpeg CLI",
              video3.cli + sound.cli + 2 * mux.cli);

  std::filesystem::remove_all(pattern);
  return 0;
}
