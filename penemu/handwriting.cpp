#include "penemu/handwriting.h"

#include <algorithm>
#include <cmath>

namespace scrivel::penemu {

namespace {

// Margins inside the writing area, pen units.
constexpr double kLeft = -4800, kRight = 4800, kTop = 300, kBottom = 12950;
// Font units from one line to the next, and the distance between samples along
// a stroke (pen units), about what a real pen records.
constexpr double kLinePitch = 32;
constexpr double kSampleStep = 30;

}  // namespace

Handwriting::Handwriting(const HersheyFont& font, double scale) : m_font(font), m_scale(scale) {}

void Handwriting::setJitter(double amount, uint64_t seed) {
  m_jitter = amount;
  m_random.seed(seed);
}

double Handwriting::wobble() {
  if (m_jitter == 0) return 0;
  return double(m_random() >> 11) * 0x1.0p-52 - 1.0;
}

std::vector<std::vector<Sample>> Handwriting::write(std::string_view text) {
  m_pages.clear();
  newPage();
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\f') {
      ++i;
      if (i < text.size()) newPage();
    } else if (c == '\n') {
      newLine();
      ++i;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (!m_lineEmpty) m_penX += m_font.glyph(' ').width() * m_scale * (1 + 0.25 * wobble());
      ++i;
    } else {
      size_t end = i;
      while (end < text.size() && std::string_view(" \t\r\n\f").find(text[end]) == std::string_view::npos)
        ++end;
      writeWord(text.substr(i, end - i));
      i = end;
    }
  }
  // Text that ends without writing on its last page leaves no blank note.
  if (m_pages.back().empty()) m_pages.pop_back();
  return std::move(m_pages);
}

void Handwriting::newPage() {
  m_pages.emplace_back();
  m_line = 0;
  m_penX = kLeft;
  m_lineEmpty = true;
  m_baselineShift = 40 * wobble();
  m_slant = 0.08 * wobble();
}

void Handwriting::newLine() {
  ++m_line;
  m_penX = kLeft + 60 * std::abs(wobble());
  m_lineEmpty = true;
  m_baselineShift = 40 * wobble();
  if ((m_line + 1) * kLinePitch * m_scale > kBottom - kTop) newPage();
}

bool Handwriting::wordFits(std::string_view word) const {
  double width = 0;
  for (char c : word) width += m_font.glyph(c).width() * m_scale;
  return m_penX + width <= kRight;
}

void Handwriting::writeWord(std::string_view word) {
  if (!m_lineEmpty && !wordFits(word)) newLine();
  for (char c : word) {
    // A word longer than a whole line breaks where the line ends.
    if (!m_lineEmpty && m_penX + m_font.glyph(c).width() * m_scale > kRight) newLine();
    writeGlyph(c);
  }
}

void Handwriting::writeGlyph(char c) {
  const HersheyFont::Glyph& g = m_font.glyph(c);
  for (const auto& stroke : g.strokes) addStroke(stroke, g.left);
  m_penX += g.width() * m_scale * (1 + 0.06 * wobble());
  m_lineEmpty = false;
}

void Handwriting::addStroke(const std::vector<HersheyFont::Point>& points, int left) {
  const double centre = kTop + (m_line + 0.5) * kLinePitch * m_scale + m_baselineShift;
  auto& samples = m_pages.back();
  double px = 0, py = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double fy = points[i].y * m_scale;
    const double x = m_penX + (points[i].x - left) * m_scale - fy * m_slant;
    const double y = centre + fy;
    if (i > 0) {
      const double length = std::hypot(x - px, y - py);
      const int steps = std::max(1, int(std::ceil(length / kSampleStep)));
      for (int s = 1; s < steps; ++s) addPoint(px + (x - px) * s / steps, py + (y - py) * s / steps);
    }
    addPoint(x, y);
    px = x;
    py = y;
  }
  samples.push_back(kPenUp);
}

void Handwriting::addPoint(double x, double y) {
  x += 5 * m_jitter * wobble();
  y += 5 * m_jitter * wobble();
  const auto sx = int16_t(std::clamp(std::lround(x), long(kMinX), long(kMaxX)));
  const auto sy = int16_t(std::clamp(std::lround(y), long(kMinY), long(kMaxY)));
  auto& samples = m_pages.back();
  // A pen reports a point only when it moved.
  if (!samples.empty() && samples.back().y >= 0 && samples.back().x == sx && samples.back().y == sy)
    return;
  samples.push_back({sx, sy});
}

}  // namespace scrivel::penemu
