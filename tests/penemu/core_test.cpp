// The emulator's parts on their own: font parsing, the memory layout and its
// limits, the dump format, fault draws and pacing.

#include <gtest/gtest.h>

#include "penemu/faults.h"
#include "penemu/handwriting.h"
#include "penemu/hersheyfont.h"
#include "penemu/notememory.h"
#include "penemu/pacer.h"

namespace scrivel::penemu {
namespace {

std::string AsciiFont(const std::string& firstGlyph) {
  std::string jhf = firstGlyph;
  for (int i = 1; i < 95; ++i) jhf += "12345  1JZ\n";
  return jhf;
}

TEST(HersheyFontParse, GlyphsWithPenUpsAndWrappedLines) {
  // The space glyph with two strokes, its data wrapped over two lines.
  HersheyFont font;
  std::string error;
  ASSERT_TRUE(HersheyFont::Parse(AsciiFont("12345  6JZNFNM R\nVFVM\r\n"), font, error)) << error;
  ASSERT_EQ(font.glyphCount(), 95u);
  const auto& g = font.glyph(' ');
  EXPECT_EQ(g.left, -8);
  EXPECT_EQ(g.right, 8);
  ASSERT_EQ(g.strokes.size(), 2u);
  EXPECT_EQ(g.strokes[0][0].x, -4);
  EXPECT_EQ(g.strokes[0][0].y, -12);
  EXPECT_EQ(g.strokes[1][1].y, -5);
  // Outside the font: the question mark.
  EXPECT_EQ(&font.glyph('\x01'), &font.glyph('?'));
}

TEST(HersheyFontParse, MalformedFontsAreRejected) {
  const std::string cases[] = {"12345  9JZNF\n", "abc\n", "12345  1JZ\n"};
  for (const std::string& jhf : cases) {
    HersheyFont font;
    std::string error;
    EXPECT_FALSE(HersheyFont::Parse(jhf, font, error)) << jhf;
    EXPECT_FALSE(error.empty());
  }
}

TEST(HersheyFontParse, BuiltInFontsCoverPrintableAscii) {
  EXPECT_GE(HersheyFont::Roman().glyphCount(), 95u);
  EXPECT_GE(HersheyFont::Cursive().glyphCount(), 95u);
  EXPECT_FALSE(HersheyFont::Roman().glyph('A').strokes.empty());
}

TEST(NoteMemoryLayout, HeaderLinksAndPackets) {
  NoteMemory memory;
  const Sample samples[] = {{100, 200}, {-2, 3}, kPenUp};
  ASSERT_TRUE(memory.addNote(0x0A, 0x01020304, samples));
  ASSERT_TRUE(memory.addNote(0, 7, samples));
  const std::vector<uint8_t> expectedFirst{26, 0, 0, 0x0A, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0,
                                           100, 0, 200, 0, 0xFE, 0xFF, 3, 0, 0, 0, 0xFF, 0xFF};
  ASSERT_EQ(memory.image().size(), 52u);
  EXPECT_EQ(std::vector<uint8_t>(memory.image().begin(), memory.image().begin() + 26), expectedFirst);
  EXPECT_EQ(memory.image()[26], 52);
  EXPECT_EQ(memory.noteCount(), 2u);
  EXPECT_EQ(memory.packetCount(), 1u);
  uint8_t packet[64];
  memory.writePacket(1, packet);
  EXPECT_EQ(packet[0], 0);
  EXPECT_EQ(packet[1], 1);
  EXPECT_EQ(packet[2 + 51], 0xFF);
  for (int i = 2 + 52; i < 64; ++i) EXPECT_EQ(packet[i], 0) << i;
}

TEST(NoteMemoryLayout, NotesStopBelowTheLinkLimit) {
  NoteMemory memory;
  std::vector<Sample> big(100000, Sample{1, 1});
  while (memory.addNote(0, 0, big)) {
  }
  const size_t room = memory.roomForSamples();
  std::vector<Sample> rest(room, Sample{1, 1});
  ASSERT_TRUE(memory.addNote(0, 0, rest));
  EXPECT_FALSE(memory.addNote(0, 0, std::vector<Sample>(1)));
  EXPECT_LT(memory.image().size(), NoteMemory::kLinkLimit);
  EXPECT_GE(memory.image().size() + 4 + NoteMemory::kHeaderSize, NoteMemory::kLinkLimit);
  EXPECT_LE(memory.packetCount(), NoteMemory::kMaxPackets);
}

TEST(NoteMemoryLayout, WalkStopsAtBrokenLinks) {
  struct Row {
    std::vector<uint8_t> image;
    size_t notes;
  };
  std::vector<uint8_t> twoNotes(28, 0);
  twoNotes[0] = 14;
  twoNotes[14] = 28;
  std::vector<uint8_t> backwards = twoNotes;
  backwards[14] = 3;
  std::vector<uint8_t> beyond = twoNotes;
  beyond[14] = 29;
  const Row rows[] = {{twoNotes, 2}, {backwards, 1}, {beyond, 1}, {std::vector<uint8_t>(28, 0), 0}, {{}, 0}};
  for (const Row& row : rows) {
    NoteMemory memory;
    std::string error;
    ASSERT_TRUE(NoteMemory::FromImage(row.image, memory, error));
    EXPECT_EQ(memory.noteCount(), row.notes);
  }
}

TEST(NoteMemoryLayout, DumpRebuildsTheImage) {
  std::vector<uint8_t> dump(128, 0);
  dump[1] = 2;  // record 1 holds packet 2
  dump[2] = 0xAB;
  dump[65] = 1;
  dump[66] = 0xCD;
  NoteMemory memory;
  std::string error;
  ASSERT_TRUE(NoteMemory::FromDump(dump, memory, error)) << error;
  ASSERT_EQ(memory.image().size(), 124u);
  EXPECT_EQ(memory.image()[0], 0xCD);
  EXPECT_EQ(memory.image()[62], 0xAB);
  dump[0] = 0x85;  // packet 0x8502 lies beyond the memory
  EXPECT_FALSE(NoteMemory::FromDump(dump, memory, error));
}

TEST(FaultDraws, ProbabilitiesAndLinkBudgets) {
  FaultSettings settings;
  settings.drop = 1;
  settings.corrupt = 1;
  Faults all(settings);
  const auto d = all.decide();
  EXPECT_TRUE(d.drop);
  EXPECT_FALSE(d.corrupt);  // a dropped packet is not also corrupted

  settings = {};
  settings.duplicate = 0.25;
  Faults quarter(settings), same(settings);
  int hits = 0;
  for (int i = 0; i < 4000; ++i) {
    const bool a = quarter.decide().duplicate;
    EXPECT_EQ(a, same.decide().duplicate);
    hits += a;
  }
  EXPECT_GT(hits, 800);
  EXPECT_LT(hits, 1200);

  settings = {};
  settings.disconnectAfter = 3;
  settings.stallAfter = 5;
  Faults link(settings);
  EXPECT_EQ(link.budget(), 3u);
  link.countSent(3);
  EXPECT_TRUE(link.disconnectDue());
  link.markDisconnected();
  EXPECT_FALSE(link.disconnectDue());
  EXPECT_EQ(link.budget(), 2u);
  EXPECT_FALSE(link.stalled());
  link.countSent(2);
  EXPECT_TRUE(link.stalled());
  EXPECT_EQ(link.budget(), 0u);
}

TEST(PacerSchedule, UnitsFollowTheRateOnAGivenClock) {
  Pacer pacer(100);  // one unit every 10 ms
  const auto t0 = Pacer::Clock::time_point{} + std::chrono::hours(1);
  EXPECT_EQ(pacer.allowance(50, t0), 1u);
  pacer.sent(1);
  EXPECT_EQ(pacer.allowance(50, t0 + std::chrono::milliseconds(5)), 0u);
  EXPECT_EQ(pacer.due(), t0 + std::chrono::milliseconds(10));
  EXPECT_EQ(pacer.allowance(50, t0 + std::chrono::milliseconds(95)), 9u);
  pacer.sent(9);
  // After a long pause no burst: it starts afresh.
  EXPECT_EQ(pacer.allowance(50, t0 + std::chrono::seconds(10)), 1u);
  Pacer unpaced;
  EXPECT_EQ(unpaced.allowance(50, t0), 50u);
}

TEST(HandwritingLayout, LinesWrapInsideTheArea) {
  Handwriting pen(HersheyFont::Roman());
  const auto pages = pen.write(std::string(400, 'W'));
  ASSERT_GE(pages.size(), 2u);  // one long word breaks over lines and pages
  for (const auto& page : pages)
    for (const Sample& s : page) {
      if (s.y < 0) continue;
      EXPECT_GE(s.x, Handwriting::kMinX);
      EXPECT_LE(s.x, Handwriting::kMaxX);
      EXPECT_LE(s.y, Handwriting::kMaxY);
    }
  EXPECT_TRUE(pen.write("").empty());
  EXPECT_EQ(pen.write("a\f\fb").size(), 3u);  // a blank page between form feeds stays
}

}  // namespace
}  // namespace scrivel::penemu
