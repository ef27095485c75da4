// The serial dialect end to end: a real penemu on a pty, the test as host on
// the linked slave.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/penemu/penhost.h"

namespace scrivel::test {
namespace {

class SerialPenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_notes = {MakeNote(20, 0x00, 100, 1), MakeNote(100, 0x0A, 200, 2), MakeNote(177, 0x02, 300, 3)};
    m_image = MakeImage(m_notes);
    WriteFile(m_dir.file("memory.img"), std::string(m_image.begin(), m_image.end()));
  }
  std::unique_ptr<Penemu> start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"serial", "--link", link(), "--image", m_dir.file("memory.img")};
    args.insert(args.end(), extra.begin(), extra.end());
    auto pen = std::make_unique<Penemu>(args);
    EXPECT_TRUE(pen->ready()) << pen->process().stderrText();
    return pen;
  }
  std::string link() const { return m_dir.file("pen.tty"); }
  // Note i as stored in the memory, its link included.
  Bytes noteBytes(size_t i) const {
    size_t begin = 0;
    for (size_t k = 0; k < i; ++k) begin += 14 + m_notes[k].samples.size() * 4;
    const size_t end = begin + 14 + m_notes[i].samples.size() * 4;
    return Bytes(m_image.begin() + long(begin), m_image.begin() + long(end));
  }

  TempDir m_dir;
  std::vector<Note> m_notes;
  Bytes m_image;
};

TEST_F(SerialPenTest, WakeUpAndCommandModeAnswerInAnyState) {
  auto pen = start();
  SerialHost host(link());
  ASSERT_TRUE(host.opened());
  struct Exchange {
    Bytes command, reply;
  };
  const Exchange table[] = {
      {{0xFF}, {0xFC}},
      {{0xA0, 0x01}, {0x03, 0xA0, 0x01}},
      {{0xFF}, {0xFC}},
      {{0xA0, 0x00}, {0x03, 0xA0, 0x00}},
      {{0xFF, 0xFF}, {0xFC, 0xFC}},
      {{0x95, 0x95}, {0x80, 0xA9, 0x01, 0x01, 0x1E, 0x00, 0x03, 0x00, 0x01, 0x7E, 0x00, 0x00}},
  };
  for (const Exchange& e : table) {
    host.send(e.command);
    EXPECT_EQ(host.read(e.reply.size()), e.reply) << "command " << int(e.command[0]);
  }
  EXPECT_TRUE(host.drain(200ms).empty());
}

TEST_F(SerialPenTest, DataCommandsAreIgnoredOutsideCommandMode) {
  auto pen = start();
  SerialHost host(link());
  host.send({0xB5, 0xB6, 0x01, 0x00, 0xB7, 0x01, 0x00, 0xB8, 0x00, 0xB0});
  EXPECT_TRUE(host.drain(300ms).empty());
  // The erase above did nothing.
  host.enterCommandMode();
  host.send({0xB5});
  EXPECT_EQ(host.read(8), (Bytes{0x07, 0x03, 0x00, 0, 0, 0, 0, 0x03}));
}

TEST_F(SerialPenTest, NoteCountAndInformationReplies) {
  auto pen = start();
  SerialHost host(link());
  host.enterCommandMode();
  host.send({0xB5});
  const Bytes count = host.read(8);
  ASSERT_EQ(count.size(), 8u);
  EXPECT_EQ(count[0], 0x07);
  EXPECT_EQ(count[1] | count[2] << 8, 3);
  EXPECT_EQ(Xor(count, 1, count.size()), 0);

  struct Row {
    uint8_t lo, hi;
    uint32_t length;
  };
  const Row rows[] = {{1, 0, 14 + 20 * 4}, {2, 0, 14 + 100 * 4}, {3, 0, 14 + 177 * 4}, {4, 0, 0}, {0, 0, 0}, {3, 1, 0}};
  for (const Row& row : rows) {
    host.send({0xB6, row.lo, row.hi});
    const Bytes r = host.read(7);
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(r[0], 0x06);
    EXPECT_EQ(uint32_t(r[1] | r[2] << 8 | r[3] << 16 | r[4] << 24), row.length) << "note " << int(row.lo);
    EXPECT_EQ(r[5], 0);
    EXPECT_EQ(Xor(r, 1, r.size()), 0);
  }
}

TEST_F(SerialPenTest, NoteTransferPacketsAndResend) {
  auto pen = start();
  SerialHost host(link());
  host.enterCommandMode();
  host.send({0xB7, 0x03, 0x00});
  const Bytes expected = noteBytes(2);
  Bytes got;
  bool resent = false;
  for (;;) {
    const Bytes packet = host.readFramed();
    ASSERT_GE(packet.size(), 2u);
    ASSERT_LE(packet[0], 64);
    EXPECT_EQ(Xor(packet, 1, packet.size()), 0);
    // One packet at a time: nothing follows before the answer.
    EXPECT_TRUE(host.drain(50ms).empty());
    if (!resent) {
      host.send({0xB8, 0x02});
      EXPECT_EQ(host.readFramed(), packet);
      resent = true;
    }
    got.insert(got.end(), packet.begin() + 1, packet.end() - 1);
    host.send({0xB8, 0x00});
    if (got.size() >= expected.size()) break;
  }
  EXPECT_EQ(got, expected);
  EXPECT_EQ(expected.size(), 722u);
  // Everything sent: the transfer has ended.
  EXPECT_TRUE(host.drain(200ms).empty());
  host.send({0xB8, 0x02});
  EXPECT_TRUE(host.drain(200ms).empty());
}

TEST_F(SerialPenTest, EndOfNoteStopsTheTransfer) {
  auto pen = start();
  SerialHost host(link());
  host.enterCommandMode();
  host.send({0xB7, 0x02, 0x00});
  ASSERT_FALSE(host.readFramed().empty());
  host.send({0xB8, 0x03});
  host.send({0xB8, 0x00});
  EXPECT_TRUE(host.drain(200ms).empty());
  // Unknown notes send nothing.
  host.send({0xB7, 0x09, 0x00});
  EXPECT_TRUE(host.drain(200ms).empty());
}

TEST_F(SerialPenTest, EveryNoteDownloadsIntact) {
  auto pen = start();
  SerialHost host(link());
  host.enterCommandMode();
  for (uint16_t n = 1; n <= 3; ++n) EXPECT_EQ(host.fetchNote(n), noteBytes(n - 1)) << "note " << n;
}

TEST_F(SerialPenTest, EraseRepliesAndEmptiesTheMemory) {
  auto pen = start();
  {
    SerialHost host(link());
    host.enterCommandMode();
    host.send({0xB0});
    EXPECT_EQ(host.read(4), (Bytes{0x03, 0xB0, 0x00, 0xB0}));
    host.send({0xB5});
    EXPECT_EQ(host.read(8), (Bytes{0x07, 0, 0, 0, 0, 0, 0, 0}));
  }
  // The next host finds the memory still empty.
  SerialHost host(link());
  host.enterCommandMode();
  host.send({0xB6, 0x01, 0x00});
  EXPECT_EQ(host.read(7), (Bytes{0x06, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SerialPenTest, LinkReplacesAStaleOneAndGoesAtTheEnd) {
  ASSERT_EQ(symlink("/dev/null-gone", link().c_str()), 0);
  auto pen = start();
  char target[256] = {};
  ASSERT_GT(readlink(link().c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
  EXPECT_NE(pen->readyLine().find(std::string("on ") + link() + " (" + target + ")"), std::string::npos);
  EXPECT_EQ(pen->process().stop(), 0);
  struct stat st;
  EXPECT_NE(lstat(link().c_str(), &st), 0);
}

TEST_F(SerialPenTest, RefusesToReplaceAFile) {
  WriteFile(link(), "keep me");
  const RunResult r = scrivel::test::Run(AppPath("penemu"), {"serial", "--link", link()}, {}, 20s);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_EQ(ReadFile(link()), "keep me");
}

TEST_F(SerialPenTest, PacedRepliesArriveWhole) {
  auto pen = start({"--rate", "2000"});
  SerialHost host(link());
  host.enterCommandMode();
  EXPECT_EQ(host.fetchNote(2), noteBytes(1));
}

}  // namespace
}  // namespace scrivel::test
