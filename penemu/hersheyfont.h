#pragma once
// A Hershey single-stroke font read from its JHF text: per glyph the left and
// right extent and the strokes as lists of points (font units, y down, the
// origin at the glyph's centre).

#include <string>
#include <string_view>
#include <vector>

namespace scrivel::penemu {

class HersheyFont {
 public:
  struct Point {
    int x = 0, y = 0;
  };
  struct Glyph {
    int left = 0, right = 0;
    std::vector<std::vector<Point>> strokes;
    int width() const { return right - left; }
  };

  // Parses JHF text whose glyphs are the printable ASCII characters from the
  // space on, in order. Fails with `error` set on a malformed glyph.
  static bool Parse(std::string_view jhf, HersheyFont& out, std::string& error);

  // The glyph of `c`; '?' for characters outside the font.
  const Glyph& glyph(char c) const;
  size_t glyphCount() const { return m_glyphs.size(); }

  // The fonts built into penemu (from the installed Hershey font data).
  static const HersheyFont& Roman();
  static const HersheyFont& Cursive();

 private:
  std::vector<Glyph> m_glyphs;  // index = character - ' '
};

}  // namespace scrivel::penemu
