#pragma once
// Writes text the way the pen would record it: glyph strokes of a Hershey font
// laid out in lines that wrap inside the writing area, sampled densely along
// every stroke, a pen-up after each stroke. Optionally with a seeded jitter so
// that generated notes look hand-made.

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "penemu/hersheyfont.h"
#include "penemu/notememory.h"

namespace scrivel::penemu {

class Handwriting {
 public:
  // The writing area in raw pen units (y down). After the host's default
  // transform (y + 1150) it lies inside x -5100..5100, y 0..14400.
  static constexpr int kMinX = -5100, kMaxX = 5100, kMinY = 0, kMaxY = 13250;

  explicit Handwriting(const HersheyFont& font, double scale = 22.0);

  // Adds a seeded wobble (baseline, slant, spacing, sample noise); 0 = none.
  void setJitter(double amount, uint64_t seed);

  // Lays `text` out on pages, each one note's samples. A form feed starts a new
  // page, a line feed a new line; a full page continues on the next one. A
  // blank last page (empty text, a final form feed) is left out; blank pages
  // between form feeds stay, as empty notes.
  std::vector<std::vector<Sample>> write(std::string_view text);

 private:
  void newPage();
  void newLine();
  bool wordFits(std::string_view word) const;
  void writeWord(std::string_view word);
  void writeGlyph(char c);
  void addStroke(const std::vector<HersheyFont::Point>& points, int left);
  void addPoint(double x, double y);
  double wobble();  // in -1..1, 0 without jitter

  const HersheyFont& m_font;
  double m_scale;
  double m_jitter = 0;
  std::mt19937_64 m_random;

  std::vector<std::vector<Sample>> m_pages;
  double m_penX = 0;
  int m_line = 0;
  bool m_lineEmpty = true;
  double m_baselineShift = 0, m_slant = 0;
};

}  // namespace scrivel::penemu
