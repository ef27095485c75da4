// A recording killed with SIGKILL: the next start finds its folder, offers
// it with the Save As question and saves what was recorded up to at most
// 2 s before the kill; declined, the folder is removed. A recording that a
// living process still runs is left alone.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "recording/interruptedrecordings.h"
#include "recording/recordingfolder.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"
#include "tests/support/videoprobe.h"

namespace scrivel::test {
namespace {

int Folders(const TempDir& temp) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
    if (entry.path().filename().string().rfind("scrivel-recording-", 0) == 0) ++count;
  return count;
}

class InterruptedRecordingTest : public testing::Test {
 protected:
  void SetUp() override { setenv("TMPDIR", m_temp.path().c_str(), 1); }
  void TearDown() override { unsetenv("TMPDIR"); }

  // Starts a recording in a child process; returns once it records.
  std::unique_ptr<ChildProcess> StartRecording() {
    auto child = std::make_unique<ChildProcess>(RECORDING_CHILD, std::vector<std::string>{},
                                                std::vector<std::string>{"TMPDIR=" + m_temp.path()}, m_temp.path());
    const bool started = QTest::qWaitFor([&] { return child->stdoutText().find("recording /") != std::string::npos; },
                                         30000);
    EXPECT_TRUE(started) << child->stderrText();
    return child;
  }

  TempDir m_temp;
  DialogAnswerer m_answerer;
};

TEST_F(InterruptedRecordingTest, AKilledRecordingIsOfferedAndSavedUpToTwoSecondsBeforeTheKill) {
  auto child = StartRecording();
  const auto started = std::chrono::steady_clock::now();
  // A running recording is not offered: its process holds the folder.
  EXPECT_EQ(OfferInterruptedRecordings(nullptr, [](QWidget*) { return QString("/never"); }), 0);
  EXPECT_TRUE(m_answerer.texts().isEmpty());
  std::this_thread::sleep_for(std::chrono::seconds(5));
  kill(child->pid(), SIGKILL);
  const double recorded = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(child->wait(), 128 + SIGKILL);
  ASSERT_EQ(Folders(m_temp), 1);

  const std::string saved = m_temp.file("rescued.mp4");
  int asked = 0;
  m_answerer.Plan(QMessageBox::Ok);  // interrupted: choose where to save
  m_answerer.Plan(QMessageBox::Ok);  // saved
  EXPECT_EQ(OfferInterruptedRecordings(nullptr,
                                       [&](QWidget*) {
                                         ++asked;
                                         return QString::fromStdString(saved);
                                       }),
            1);
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(m_answerer.texts().size(), 2);
  EXPECT_TRUE(m_answerer.texts()[0].contains("interrupted")) << m_answerer.texts()[0].toStdString();
  EXPECT_EQ(m_answerer.titles()[0], "Scrivel");
  const VideoProbe probe = ProbeVideo(saved);
  ASSERT_TRUE(probe.ok) << probe.error;
  EXPECT_EQ(probe.streams, "h264,video,352,288;");
  qInfo("killed after %.2f s; %.2f s saved", recorded, probe.videoSeconds);
  EXPECT_GE(probe.videoSeconds, recorded - 2.0);
  EXPECT_LE(probe.videoSeconds, recorded);
  EXPECT_GT(SeekLandsAt(saved, 2.0), 1.8);
  EXPECT_TRUE(std::filesystem::exists(m_temp.file("FMMAPI/Note.mp4")));
  EXPECT_EQ(Folders(m_temp), 0);
  EXPECT_EQ(OfferInterruptedRecordings(), 0) << "offered once";
}

TEST_F(InterruptedRecordingTest, DeclinedTheFolderIsRemoved) {
  auto child = StartRecording();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  kill(child->pid(), SIGKILL);
  child->wait();
  ASSERT_EQ(Folders(m_temp), 1);
  m_answerer.Plan(QMessageBox::Ok);   // interrupted
  m_answerer.Plan(QMessageBox::Yes);  // discard it
  EXPECT_EQ(OfferInterruptedRecordings(nullptr, [](QWidget*) { return QString(); }), 0);
  ASSERT_EQ(m_answerer.texts().size(), 2);
  EXPECT_TRUE(m_answerer.texts()[1].contains("Discard"));
  EXPECT_EQ(Folders(m_temp), 0);
}

}  // namespace
}  // namespace scrivel::test
