// The library end to end over a serial line: the exports, the real serial
// port module and the pen emulator on a pty. Every note costs at least half a
// second by protocol, so the memories here are small.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "nibdl/nibdl.h"
#include "tests/nibdl/penemusession.h"

namespace nibdl::test {
namespace {

class SerialPen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EmulatorBuilt()) GTEST_SKIP() << "penemu or the port modules are not built";
    setenv("TZ", "UTC", 1);
    tzset();
    ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  }
  void TearDown() override { DUVOCloseDevice(); }

  void Start(const std::vector<std::vector<Sample>>& notes, std::vector<std::string> more = {}) {
    m_notes = notes;
    const Bytes image = MakeImage(notes);
    const std::string file = m_files.file("memory.img");
    scrivel::test::WriteFile(file, std::string(image.begin(), image.end()));
    if (!notes.empty()) more.insert(more.begin(), {"--image", file});
    m_pen = std::make_unique<PenemuSession>("serial", more);
    ASSERT_TRUE(m_pen->ready()) << m_pen->output();
    ASSERT_EQ(DUVOOpenDevice(nullptr), DUVO_OK);
  }

  void ExpectPages(const DownloadResult& result, size_t notes) {
    std::vector<std::vector<DUVOPAGE>> expected;
    for (size_t i = 0; i < notes; ++i)
      if (m_notes[i].size() >= 20) expected.push_back(ExpectedRecords(m_notes[i]));
    ASSERT_EQ(result.pages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_TRUE(SameRecords(result.pages[i].points, expected[i])) << "page " << i + 1;
  }

  scrivel::test::TempDir m_files;
  std::unique_ptr<PenemuSession> m_pen;
  std::vector<std::vector<Sample>> m_notes;
};

TEST_F(SerialPen, NotesBecomeThePages) {
  Start({Stroke(40, 10, 20), Stroke(4), Stroke(60, -3000, 5000)});
  const DownloadResult result = DownloadPages();
  ASSERT_EQ(result.code, DUVO_OK);
  ExpectPages(result, 3);
  std::vector<std::pair<int, int>> transfers;
  for (const auto& call : result.calls)
    if (call.first == DUVO_PROGRESS_TRANSFER) transfers.push_back(call);
  EXPECT_EQ(transfers, (std::vector<std::pair<int, int>>{{1, 33}, {1, 66}, {1, 100}}));
  EXPECT_EQ(result.pages[0].stamp, "(2008/01/01 00:00:00)");
}

TEST_F(SerialPen, EraseThenDownloadAgainGivesNoPages) {
  Start({Stroke(30)});
  ASSERT_EQ(DownloadPages().pages.size(), 1u);
  EXPECT_EQ(DUVOEraseAllPages(), DUVO_OK);
  const DownloadResult again = DownloadPages();
  EXPECT_EQ(again.code, DUVO_OK);
  EXPECT_TRUE(again.pages.empty());
}

TEST_F(SerialPen, EmptyPen) {
  Start({});
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, DUVO_OK);
  EXPECT_TRUE(result.pages.empty());
}

TEST_F(SerialPen, VersionReport) {
  Start({});
  DUVOVERSION version{};
  ASSERT_EQ(DUVOGetDeviceVersion(&version), DUVO_OK);
  EXPECT_EQ(version.dwHead, 0x01u);
  EXPECT_EQ(version.dwVersion1, 0x011E0000u);
  EXPECT_EQ(version.dwTail, 0x7Eu);
}

TEST_F(SerialPen, PenThatNeverWakesFails) {
  Start({Stroke(30)}, {"--stall-after", "0"});
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, DUVO_E_PROTOCOL);
  EXPECT_TRUE(result.pages.empty());
  EXPECT_EQ(DUVOEraseAllPages(), DUVO_E_PROTOCOL);
}

TEST_F(SerialPen, DamagedAndLostPacketsAreRecovered) {
  Start({Stroke(80, 1, 1), Stroke(80, 2, 2)}, {"--corrupt", "0.2", "--drop", "0.1", "--seed", "3"});
  const DownloadResult result = DownloadPages();
  ASSERT_EQ(result.code, DUVO_OK);
  ExpectPages(result, 2);
}

TEST_F(SerialPen, PagesDecodedBeforeADisconnectStay) {
  // 26 samples: 118 bytes, two packets per note. The link closes after four
  // packets: during the third note.
  Start({Stroke(25, 1, 1), Stroke(25, 2, 2), Stroke(25, 3, 3), Stroke(25, 4, 4)},
        {"--disconnect-after", "5"});
  const DownloadResult result = DownloadPages();
  EXPECT_EQ(result.code, DUVO_E_TIMEOUT);
  ExpectPages(result, 2);
}

}  // namespace
}  // namespace nibdl::test
