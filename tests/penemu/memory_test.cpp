// What penemu writes into its memory: handwritten text and generated notes,
// read back through the USB stream and decoded by walking the links.

#include <gtest/gtest.h>

#include "tests/penemu/penhost.h"

namespace scrivel::test {
namespace {

constexpr size_t kMinRecords = 20;

struct Memory {
  std::string readyLine, errors;
  size_t packets = 0;
  Bytes image;
};

Memory Download(const std::vector<std::string>& memoryArgs) {
  TempDir dir;
  std::vector<std::string> args{"usb", "--socket", dir.file("pen.sock")};
  args.insert(args.end(), memoryArgs.begin(), memoryArgs.end());
  Penemu pen(args);
  Memory m;
  EXPECT_TRUE(pen.ready()) << pen.process().stderrText();
  if (!pen.ready()) return m;
  UsbHost host(dir.file("pen.sock"));
  m.packets = host.packetCount().value_or(0);
  m.image = host.download();
  m.readyLine = pen.readyLine();
  m.errors = pen.process().stderrText();
  return m;
}

// Every note is a realistic page: enough records, points inside the writing
// area, strokes ended by pen-ups that carry x = 0, y = -1.
void ExpectRealistic(const std::vector<Note>& notes) {
  for (size_t i = 0; i < notes.size(); ++i) {
    const auto& s = notes[i].samples;
    ASSERT_GE(s.size(), kMinRecords) << "note " << i;
    EXPECT_LT(s.back()[1], 0) << "note " << i << " does not end with a pen-up";
    size_t penUps = 0;
    for (const auto& [x, y] : s) {
      if (y < 0) {
        ++penUps;
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, -1);
        continue;
      }
      ASSERT_GE(x, -5100) << "note " << i;
      ASSERT_LE(x, 5100) << "note " << i;
      ASSERT_LE(y, 13250) << "note " << i;
    }
    EXPECT_GE(penUps, 2u) << "note " << i;
  }
}

// Points along a stroke lie close together, as a pen samples them.
void ExpectDenseStrokes(const std::vector<Note>& notes) {
  for (const Note& note : notes) {
    for (size_t i = 1; i < note.samples.size(); ++i) {
      const auto& a = note.samples[i - 1];
      const auto& b = note.samples[i];
      if (a[1] < 0 || b[1] < 0) continue;
      ASSERT_LE(std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]), 120) << "sample " << i;
    }
  }
}

TEST(PenemuMemory, FormFeedStartsANewNote) {
  struct Row {
    std::string text;
    size_t notes;
  };
  const Row rows[] = {
      {"Hello\fWorld", 2},
      {"Hello\\fWorld", 2},
      {"Hello world", 1},
      {"One\fTwo\fThree\f", 3},
      {"", 0},
  };
  for (const Row& row : rows) {
    const Memory m = Download({"--text", row.text, "--timestamp", "1440", "--flags", "0x0A"});
    const auto notes = DecodeNotes(m.image);
    ASSERT_EQ(notes.size(), row.notes) << row.text;
    EXPECT_NE(m.readyLine.find("with " + std::to_string(row.notes) + " note"), std::string::npos);
    for (const Note& n : notes) {
      EXPECT_EQ(n.flags, 0x0A);
      EXPECT_EQ(n.timeStamp, 1440u);
    }
    ExpectRealistic(notes);
    ExpectDenseStrokes(notes);
  }
}

TEST(PenemuMemory, LongTextWrapsAndFillsFurtherPages) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "writing ";
  const auto notes = DecodeNotes(Download({"--text", text}).image);
  ASSERT_GE(notes.size(), 2u);
  ExpectRealistic(notes);
  // Several lines on a page: the points spread over most of the page's height.
  int top = 20000, bottom = -1;
  for (const auto& [x, y] : notes[0].samples)
    if (y >= 0) top = std::min<int>(top, y), bottom = std::max<int>(bottom, y);
  EXPECT_GT(bottom - top, 8000);
}

TEST(PenemuMemory, GeneratedNotesAreRealisticAndRepeatForASeed) {
  const Memory a = Download({"--notes", "6", "--seed", "11"});
  const Memory b = Download({"--notes", "6", "--seed", "11"});
  const Memory c = Download({"--notes", "6", "--seed", "12"});
  EXPECT_EQ(a.image, b.image);
  EXPECT_NE(a.image, c.image);
  const auto notes = DecodeNotes(a.image);
  ASSERT_EQ(notes.size(), 6u);
  ExpectRealistic(notes);
  ExpectDenseStrokes(notes);
  for (size_t i = 1; i < notes.size(); ++i) EXPECT_NE(notes[i].samples, notes[0].samples);
  EXPECT_EQ(a.packets, (a.image.size() + 61) / 62);
}

TEST(PenemuMemory, ManyNotesFillTheMemoryAndSaySo) {
  const Memory m = Download({"--notes", "100000"});
  EXPECT_NE(m.errors.find("memory is full"), std::string::npos) << m.errors;
  EXPECT_LE(m.packets, 33826u);
  EXPECT_GE(m.packets, 33000u);
  const auto notes = DecodeNotes(m.image);
  ASSERT_GT(notes.size(), 10u);
  ExpectRealistic(notes);
  // The links cover the image up to the end of the last note, below the link limit.
  size_t end = 0;
  for (const Note& n : notes) end += 14 + n.samples.size() * 4;
  EXPECT_LT(end, 2097151u);
  EXPECT_GT(end, m.image.size() - 62);
}

}  // namespace
}  // namespace scrivel::test
