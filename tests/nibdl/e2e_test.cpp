// The library end to end over USB: the exports, the real USB port module and
// the pen emulator on a Unix socket. Each case runs in its own process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "common/appfolder.h"
#include "nibdl/nibdl.h"
#include "nibroute/nibroute.h"
#include "tests/nibdl/penemusession.h"

namespace nibdl::test {
namespace {

namespace fs = std::filesystem;

// Three pages and a short note between them; strokes at distinct places.
std::vector<std::vector<Sample>> ThreePages() {
  std::vector<Sample> twoStrokes = Stroke(30, -400, 900);
  const auto second = Stroke(15, 2000, 3000);
  twoStrokes.insert(twoStrokes.end(), second.begin(), second.end());
  return {Stroke(40, 10, 20), Stroke(5, 7, 7), twoStrokes, Stroke(300, -5000, 100)};
}

class UsbPen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EmulatorBuilt()) GTEST_SKIP() << "penemu or the port modules are not built";
    setenv("TZ", "UTC", 1);
    tzset();
    ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  }
  void TearDown() override { DUVOCloseDevice(); }

  // Starts a pen and opens it.
  void Start(const std::vector<std::string>& args) {
    m_pen = std::make_unique<PenemuSession>("usb", args);
    ASSERT_TRUE(m_pen->ready()) << m_pen->output();
    ASSERT_EQ(DUVOOpenDevice(nullptr), DUVO_OK);
  }
  void StartImage(const std::vector<std::vector<Sample>>& notes, std::vector<std::string> more = {}) {
    m_image = MakeImage(notes);
    m_notes = notes;
    const std::string file = m_files.file("memory.img");
    scrivel::test::WriteFile(file, std::string(m_image.begin(), m_image.end()));
    more.insert(more.begin(), {"--image", file});
    Start(more);
  }
  // The pages the image's notes become.
  void ExpectImagePages(const DownloadResult& result) {
    std::vector<std::vector<DUVOPAGE>> expected;
    for (const auto& note : m_notes)
      if (note.size() >= 20) expected.push_back(ExpectedRecords(note));
    ASSERT_EQ(result.pages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_TRUE(SameRecords(result.pages[i].points, expected[i])) << "page " << i + 1;
  }

  scrivel::test::TempDir m_files;
  std::unique_ptr<PenemuSession> m_pen;
  Bytes m_image;
  std::vector<std::vector<Sample>> m_notes;
};

uint32_t Orientation() {
  uint32_t value = 99;
  ZMTGetProperty(0, ZMT_PROP_ORIENTATION, &value);
  return value;
}

TEST_F(UsbPen, SeveralNotesBecomeThePages) {
  StartImage(ThreePages());
  EXPECT_EQ(Orientation(), 1u) << "written while a pen is open";
  const DownloadResult result = DownloadPages();
  ASSERT_EQ(result.code, DUVO_OK);
  ExpectImagePages(result);
  EXPECT_NE(std::find(result.calls.begin(), result.calls.end(), std::make_pair(1, 100)), result.calls.end());
  EXPECT_NE(std::find(result.calls.begin(), result.calls.end(), std::make_pair(0, 100)), result.calls.end())
      << "the waiting loop reports the final percent";
  EXPECT_EQ(DUVOCloseDevice(), DUVO_OK);
  EXPECT_EQ(Orientation(), 0u);
}

TEST_F(UsbPen, HandwrittenNotesCarryTimeStampAndFlags) {
  Start({"--text", "Hello\fworld\fhow", "--timestamp", "1440", "--flags", "10"});
  EXPECT_NE(m_pen->output().find("3 notes"), std::string::npos) << m_pen->output();
  const DownloadResult result = DownloadPages();
  ASSERT_EQ(result.code, DUVO_OK);
  ASSERT_EQ(result.pages.size(), 3u);
  for (const Page& page : result.pages) {
    EXPECT_EQ(page.minutes, 1440);
    EXPECT_EQ(page.stamp, "(2008/01/02 00:00:00)");
    EXPECT_EQ(page.flipped, 1u);
    EXPECT_EQ(page.uploaded, 0u);
    ASSERT_GE(page.points.size(), 20u);
    EXPECT_EQ(page.points.front().wEvent, DUVO_EVT_PENDOWN);
    for (size_t i = 1; i < page.points.size(); ++i) {
      const uint16_t event = page.points[i].wEvent, before = page.points[i - 1].wEvent;
      ASSERT_TRUE(event >= 1 && event <= 3);
      if (before == DUVO_EVT_PENUP) {
        ASSERT_NE(event, DUVO_EVT_PENMOV) << "a stroke starts with pen down";
      }
      if (event != DUVO_EVT_PENUP) {
        ASSERT_GE(page.points[i].y, 1150) << "mode 0 shifts y by 1150";
      }
    }
  }
}

TEST_F(UsbPen, EmptyPen) {
  Start({});
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, DUVO_OK);
  EXPECT_TRUE(result.pages.empty());
}

TEST_F(UsbPen, EraseThenDownloadAgainGivesNoPages) {
  StartImage(ThreePages());
  ASSERT_EQ(DownloadPages().pages.size(), 3u);
  EXPECT_EQ(DUVOEraseAllPages(), DUVO_OK);
  const DownloadResult again = DownloadPages();
  EXPECT_EQ(again.code, DUVO_OK);
  EXPECT_TRUE(again.pages.empty());
}

TEST_F(UsbPen, OnlyShortNotesAreErasedAutomatically) {
  StartImage({Stroke(3), Stroke(12)});
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, DUVO_OK);
  EXPECT_TRUE(result.pages.empty());
  int count = -1;
  DUVOGetPageCount(&count);
  EXPECT_EQ(count, 0);
  // The pen's memory is empty now: a dump finds no packets and writes no file.
  const std::string folder = scrivel::AppFolder();
  std::set<fs::path> before;
  for (const auto& entry : fs::directory_iterator(folder)) before.insert(entry.path());
  EXPECT_EQ(DUVOSaveBinaryData(), 1u);
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_TRUE(before.count(entry.path())) << entry.path() << ": the pen was not erased";
    if (!before.count(entry.path())) fs::remove(entry.path());
  }
}

TEST_F(UsbPen, VersionReport) {
  Start({});
  DUVOVERSION version{};
  ASSERT_EQ(DUVOGetDeviceVersion(&version), DUVO_OK);
  EXPECT_EQ(version.dwHead, 0x01u);
  EXPECT_EQ(version.dwVersion1, 0x011E0000u);
  EXPECT_EQ(version.dwVersion2, 0x00030000u);
  EXPECT_EQ(version.dwVersion3, 0x00010000u);
  EXPECT_EQ(version.dwTail, 0x7Eu);
}

TEST_F(UsbPen, SecondOpenIsRefusedAndCloseAllowsAReopen) {
  StartImage(ThreePages());
  EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_ALREADYOPEN);
  EXPECT_EQ(DownloadPages().pages.size(), 3u) << "the refused open changed nothing";
  EXPECT_EQ(DUVOCloseDevice(), DUVO_OK);
  EXPECT_EQ(DUVOCloseDevice(), DUVO_E_NOTOPEN);
  int count = -1;
  EXPECT_EQ(DUVOGetPageCount(&count), DUVO_E_NOTOPEN);
  ASSERT_EQ(DUVOOpenDevice(nullptr), DUVO_OK);
  const DownloadResult again = DownloadPages();
  EXPECT_EQ(again.code, DUVO_OK);
  ExpectImagePages(again);
}

TEST_F(UsbPen, SaveBinaryDataWritesThePacketImage) {
  StartImage(ThreePages());
  const std::string folder = scrivel::AppFolder();
  std::set<fs::path> before;
  for (const auto& entry : fs::directory_iterator(folder)) before.insert(entry.path());
  ASSERT_EQ(DUVOSaveBinaryData(), 1u);
  std::vector<fs::path> made;
  for (const auto& entry : fs::directory_iterator(folder))
    if (!before.count(entry.path())) made.push_back(entry.path());
  ASSERT_EQ(made.size(), 1u);
  const fs::path dump = made[0];
  // Copy it away at once so the test folder is left as it was found.
  const std::string kept = m_files.file("pen.mbf");
  fs::copy_file(dump, kept);
  fs::remove(dump);
  EXPECT_EQ(dump.extension(), ".mbf");
  const std::string stem = dump.stem().string();
  EXPECT_EQ(stem.size(), 14u);
  EXPECT_TRUE(std::all_of(stem.begin(), stem.end(), ::isdigit)) << stem;
  const Bytes packets = PacketsOf(m_image);
  EXPECT_EQ(scrivel::test::ReadFile(kept), std::string(packets.begin(), packets.end()));

  // The dump is a pen memory again: the same pages come back from it.
  ASSERT_EQ(DUVOCloseDevice(), DUVO_OK);
  Start({"--mbf", kept});
  const DownloadResult result = DownloadPages();
  ASSERT_EQ(result.code, DUVO_OK);
  ExpectImagePages(result);
}

// Link and packet faults: each ends with the right pages or the right code.
struct FaultRow {
  const char* name;
  std::vector<std::string> args;
  uint32_t code;
  int keptPages = -1;  // after a failure: the notes received whole (-1: wherever the fault fell)
};

void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

class UsbFault : public UsbPen, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(UsbFault, EndsWithTheRightResult) {
  std::vector<std::vector<Sample>> notes;
  for (int i = 0; i < 12; ++i) notes.push_back(Stroke(150, static_cast<int16_t>(i * 10), 50));
  StartImage(notes, GetParam().args);  // about 120 packets
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, GetParam().code) << std::hex << result.code;
  if (GetParam().code == DUVO_OK) {
    ExpectImagePages(result);
  } else if (GetParam().keptPages >= 0) {
    // Notes of 618 bytes, 62 to a packet: those wholly before the cut are kept.
    EXPECT_EQ(static_cast<int>(result.pages.size()), GetParam().keptPages);
  } else {
    EXPECT_LT(result.pages.size(), notes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UsbFault,
    ::testing::Values(FaultRow{"drop", {"--drop", "0.05", "--seed", "7"}, DUVO_OK},
                      FaultRow{"duplicate", {"--duplicate", "0.1", "--seed", "7"}, DUVO_OK},
                      FaultRow{"reorder", {"--reorder", "0.1", "--seed", "7"}, DUVO_OK},
                      FaultRow{"everything", {"--drop", "0.03", "--duplicate", "0.05", "--reorder", "0.05"}, DUVO_OK},
                      FaultRow{"corrupt", {"--corrupt", "0.2", "--seed", "7"}, DUVO_E_PROTOCOL},
                      FaultRow{"disconnect", {"--disconnect-after", "40"}, DUVO_E_TIMEOUT, 4},
                      FaultRow{"stall", {"--stall-after", "0"}, DUVO_E_TIMEOUT, 0}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nibdl::test
