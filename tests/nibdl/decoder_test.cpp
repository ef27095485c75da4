// Point transform, ParsePoints, note decoding and the USB note chain.

#include "nibdl/notedecoder.h"

#include <gtest/gtest.h>

#include "tests/nibdl/notebuilder.h"

namespace nibdl::test {
namespace {

struct Record {
  uint16_t event;
  int16_t x, y;
  bool operator==(const Record&) const = default;
};

std::vector<Record> Parse(const Bytes& samples, const PointTransform& transform) {
  std::vector<DUVOPAGE> records(samples.size() / 4 + 1);
  int count = -1;
  ParsePoints(samples.data(), samples.size(), transform, records.data(), &count);
  std::vector<Record> out;
  for (int i = 0; i < count; ++i) out.push_back({records[i].wEvent, records[i].x, records[i].y});
  return out;
}

Bytes SampleBytes(const std::vector<Sample>& samples) {
  const Bytes note = MakeNote(samples);
  return Bytes(note.begin() + 14, note.end());
}

PointTransform Mode(int mode, uint32_t deviceType = 0) {
  PointTransform transform;
  transform.SetMode(mode, deviceType);
  return transform;
}

TEST(PointTransform, NewTransformIsTheIdentity) {
  PointTransform transform;
  int16_t x = 0, y = 0;
  transform.Apply(-5750, 16000, &x, &y);
  EXPECT_EQ(x, -5750);
  EXPECT_EQ(y, 16000);
}

TEST(PointTransform, Modes) {
  struct Row {
    int mode;
    uint32_t deviceType;
    int32_t x, y;
    int16_t expectX, expectY;
  };
  const Row rows[] = {
      {0, 0, 100, 200, 100, 1350},
      {1, 0, 1000, 0, -2842, 842},   // -2842.89 and 842.89 truncated toward zero
      {2, 0, 1000, 0, 4257, 2257},   // 707.1 + 3550, 707.1 + 1550
      {1, 0, 0, 1000, -2842, 2257},  // 707.1 - 3550, 707.1 + 1550
      {3, 0, 1000, 0, 1000, 0},      // unchanged from a new transform: identity
      {7, 0, 100, 200, 100, 1350},   // outside 0..3: mode 0
      {-1, 0, 100, 200, 100, 1350},
      {1, 0x14, 1000, 0, 1000, 1150},  // these device types force mode 0
      {2, 0x0B, 1000, 0, 1000, 1150},
      {3, 0x14, 1000, 0, 1000, 1150},
      {1, 0x15, 1000, 0, -2842, 842},
      {0, 0, 0, 32000, 0, static_cast<int16_t>(33150 - 65536)},  // cut to 16 bits
  };
  for (const Row& row : rows) {
    int16_t x = 0, y = 0;
    Mode(row.mode, row.deviceType).Apply(row.x, row.y, &x, &y);
    EXPECT_EQ(x, row.expectX) << "mode " << row.mode << " type " << row.deviceType;
    EXPECT_EQ(y, row.expectY) << "mode " << row.mode << " type " << row.deviceType;
  }
}

TEST(PointTransform, ModeThreeKeepsAnEarlierSetting) {
  PointTransform transform;
  transform.SetMode(1, 0);
  transform.SetMode(3, 0);
  EXPECT_EQ(transform.angle(), 450);
  EXPECT_EQ(transform.offsetX(), -3550);
  EXPECT_EQ(transform.offsetY(), 1550);
}

TEST(ParsePoints, StrokeWithPenUp) {
  const auto records = Parse(SampleBytes({{100, 200}, {101, 202}, {55, -1}}), Mode(0));
  const std::vector<Record> expected{{1, 100, 1350}, {2, 101, 1352}, {3, 0, 0}};
  EXPECT_EQ(records, expected);
}

TEST(ParsePoints, PenDownAgainAfterPenUp) {
  const auto records =
      Parse(SampleBytes({{1, 1}, {0, -1}, {0, -32768}, {2, 2}, {3, 3}}), PointTransform{});
  const std::vector<Record> expected{{1, 1, 1}, {3, 0, 0}, {3, 0, 0}, {1, 2, 2}, {2, 3, 3}};
  EXPECT_EQ(records, expected);
}

TEST(ParsePoints, IgnoresTrailingBytesThatDoNotFillASample) {
  for (int extra = 1; extra <= 3; ++extra) {
    Bytes samples = SampleBytes({{10, 20}, {11, 21}});
    samples.insert(samples.end(), extra, 0x7F);
    EXPECT_EQ(Parse(samples, PointTransform{}).size(), 2u) << extra << " extra bytes";
  }
}

TEST(DecodeNote, TwentyRecordRule) {
  struct Row {
    std::vector<Sample> samples;
    bool kept;
  };
  std::vector<Sample> nineteen(19, Sample{5, 5});
  std::vector<Sample> twenty(20, Sample{5, 5});
  std::vector<Sample> nineteenWithUp = Stroke(18);  // 18 points + pen up = 19
  std::vector<Sample> twentyWithUp = Stroke(19);    // pen-up records count
  const Row rows[] = {{nineteen, false}, {twenty, true}, {nineteenWithUp, false}, {twentyWithUp, true}};
  for (const Row& row : rows) {
    PageList pages;
    const Bytes note = MakeNote(row.samples);
    const NoteResult result = DecodeNote(note.data(), note.data() + note.size(), PointTransform{}, pages);
    EXPECT_EQ(result, row.kept ? NoteResult::Kept : NoteResult::Short) << row.samples.size();
    EXPECT_EQ(pages.size(), row.kept ? 1u : 0u);
    if (row.kept) {
      EXPECT_EQ(pages[0].count, static_cast<int>(row.samples.size()));
    }
  }
}

TEST(DecodeNote, FlagsAndTimeStamp) {
  struct Row {
    uint8_t flags;
    int flipped, uploaded;
  };
  const Row rows[] = {{0x0A, 1, 0}, {0x00, 0, 1}, {0x08, 1, 1}, {0x02, 0, 0}, {0xF5, 0, 1}};
  for (const Row& row : rows) {
    PageList pages;
    const Bytes note = MakeNote(Stroke(30), row.flags, 0x01020304);
    ASSERT_EQ(DecodeNote(note.data(), note.data() + note.size(), PointTransform{}, pages), NoteResult::Kept);
    EXPECT_EQ(pages[0].flipped, row.flipped) << int(row.flags);
    EXPECT_EQ(pages[0].uploaded, row.uploaded) << int(row.flags);
    EXPECT_EQ(pages[0].timeStamp, 0x01020304u);
  }
}

TEST(DecodeNote, ShorterThanItsHeaderIsDroppedUnread) {
  for (size_t size = 0; size < 14; ++size) {
    // Exactly `size` readable bytes: the sanitizers catch any read beyond.
    std::vector<uint8_t> note(size, 0x0A);
    PageList pages;
    EXPECT_EQ(DecodeNote(note.data(), note.data() + size, PointTransform{}, pages), NoteResult::Malformed);
    EXPECT_TRUE(pages.empty());
  }
}

TEST(NextNote, LinkRules) {
  Bytes image(4096, 0);
  struct Row {
    size_t at;
    uint32_t link;
    LinkResult expected;
  };
  const Row rows[] = {
      {0, 0, LinkResult::End},          // a zero link
      {0, 100, LinkResult::Next},
      {200, 100, LinkResult::Broken},   // backwards
      {200, 200, LinkResult::Broken},   // to itself
      {200, 4096, LinkResult::Next},    // exactly the image end
      {200, 4097, LinkResult::Broken},  // past the image end
      {0, 0x1FFFFF, LinkResult::Broken},
      {0, 0xFFFFFE, LinkResult::Broken},
      {0, 0xFFFFFF, LinkResult::End},     // erased flash: the end of the notes
      {200, 0xFFFFFF, LinkResult::End},
  };
  for (const Row& row : rows) {
    Bytes copy = image;
    copy[row.at] = row.link & 0xFF;
    copy[row.at + 1] = (row.link >> 8) & 0xFF;
    copy[row.at + 2] = (row.link >> 16) & 0xFF;
    const uint8_t* next = nullptr;
    EXPECT_EQ(NextNote(copy.data(), copy.data() + row.at, copy.data() + copy.size(), &next), row.expected)
        << "link " << row.link << " at " << row.at;
    if (row.expected == LinkResult::Next) {
      EXPECT_EQ(next, copy.data() + row.link);
    }
  }
}

TEST(NextNote, LinkBytesPastTheEndReadAsZero) {
  const Bytes image{0x05, 0x00, 0x00, 0x00, 0x01};
  const uint8_t* next = nullptr;
  // At offset 4 only one link byte is inside; 0x01 alone points backwards.
  EXPECT_EQ(NextNote(image.data(), image.data() + 4, image.data() + image.size(), &next), LinkResult::Broken);
  EXPECT_EQ(NextNote(image.data(), image.data() + 5, image.data() + image.size(), &next), LinkResult::End);
}

TEST(DecodeImage, DecodesEveryNoteInOrder) {
  const Bytes image = MakeImage({Stroke(25, 10, 10), Stroke(5), Stroke(40, 20, 20)}, 0x08, 1440);
  PageList pages;
  EXPECT_TRUE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  ASSERT_EQ(pages.size(), 2u) << "the short note in the middle is dropped";
  EXPECT_EQ(pages[0].count, 26);
  EXPECT_EQ(pages[1].count, 41);
  EXPECT_EQ(pages[1].points.get()[0].x, 20);
  EXPECT_EQ(pages[1].points.get()[0].y, 20 + 1150);
  EXPECT_EQ(pages[1].timeStamp, 1440u);
  EXPECT_EQ(pages[1].flipped, 1);
}

TEST(DecodeImage, FirstLinkZeroYieldsNoPagesCleanly) {
  Bytes image(620, 0);
  PageList pages;
  EXPECT_TRUE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_TRUE(pages.empty());
}

TEST(DecodeImage, OnlyShortNotesDecodeCleanly) {
  const Bytes image = MakeImage({Stroke(3), Stroke(10), Stroke(18)});
  PageList pages;
  EXPECT_TRUE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_TRUE(pages.empty());
}

TEST(DecodeImage, ErasedFlashAfterTheLastNoteIsACleanEnd) {
  Bytes image = MakeImage({Stroke(25), Stroke(5)});
  image.resize(image.size() + 62, 0xFF);
  PageList pages;
  EXPECT_TRUE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_EQ(pages.size(), 1u);

  const Bytes erased(620, 0xFF);  // a memory that holds no note at all
  PageList none;
  EXPECT_TRUE(DecodeImage(erased.data(), erased.size(), Mode(0), none));
  EXPECT_TRUE(none.empty());
}

TEST(DecodeImage, BrokenLinkEndsDecodingAndKeepsEarlierPages) {
  Bytes image = MakeImage({Stroke(25), Stroke(25), Stroke(25)});
  const size_t second = 14 + 26 * 4;
  image[second] = 4;  // points backwards
  image[second + 1] = 0;
  image[second + 2] = 0;
  PageList pages;
  EXPECT_FALSE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_EQ(pages.size(), 1u);
}

TEST(DecodeImage, ANoteNeverRunsPastTheImageEnd) {
  Bytes image = MakeImage({Stroke(25), Stroke(25)});
  const size_t second = 14 + 26 * 4;
  const uint32_t beyond = static_cast<uint32_t>(image.size() + 1000);
  image[second] = beyond & 0xFF;
  image[second + 1] = (beyond >> 8) & 0xFF;
  image[second + 2] = (beyond >> 16) & 0xFF;
  PageList pages;
  EXPECT_FALSE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_EQ(pages.size(), 1u);
}

TEST(DecodeImage, AMalformedNoteMakesTheImageUnclean) {
  // A 5-byte note (shorter than a header) between two notes.
  Bytes first = MakeNote(Stroke(5), 0, 0, 0);
  const uint32_t tiny = static_cast<uint32_t>(first.size());
  first[0] = tiny & 0xFF;
  first[1] = tiny >> 8;
  Bytes image = first;
  const uint32_t third = tiny + 5;
  image.insert(image.end(), {uint8_t(third), uint8_t(third >> 8), 0, 0, 0});
  const Bytes last = MakeNote(Stroke(3), 0, 0, third + static_cast<uint32_t>(MakeNote(Stroke(3)).size()));
  image.insert(image.end(), last.begin(), last.end());
  PageList pages;
  EXPECT_FALSE(DecodeImage(image.data(), image.size(), Mode(0), pages));
  EXPECT_TRUE(pages.empty());
}

TEST(DecodeImage, StopsAt200Pages) {
  std::vector<std::vector<Sample>> notes(205, Stroke(20));
  const Bytes image = MakeImage(notes);
  PageList pages;
  DecodeImage(image.data(), image.size(), Mode(0), pages);
  EXPECT_EQ(pages.size(), 200u);
}

}  // namespace
}  // namespace nibdl::test
