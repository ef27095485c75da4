#include "penemu/hersheyfont.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "penemu/fontdata.h"

namespace scrivel::penemu {

namespace {

int Coordinate(char c) { return int(c) - int('R'); }

bool ParseInt(std::string_view text, int& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  text.remove_prefix(i);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool HersheyFont::Parse(std::string_view jhf, HersheyFont& out, std::string& error) {
  out.m_glyphs.clear();
  size_t pos = 0, lineNo = 0;
  auto nextLine = [&](std::string_view& line) {
    if (pos >= jhf.size()) return false;
    size_t end = jhf.find('\n', pos);
    if (end == std::string_view::npos) end = jhf.size();
    line = jhf.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    ++lineNo;
    return true;
  };
  std::string_view line;
  while (nextLine(line)) {
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    int count = 0;
    if (line.size() < 8 || !ParseInt(line.substr(5, 3), count) || count < 1) {
      error = "line " + std::to_string(lineNo) + ": not a glyph header";
      return false;
    }
    // The vertex data (left/right pair included) may continue on following lines.
    std::string data(line.substr(8));
    const size_t wanted = size_t(count) * 2;
    while (data.size() < wanted) {
      std::string_view more;
      if (!nextLine(more)) break;
      data.append(more);
    }
    if (data.size() < wanted) {
      error = "line " + std::to_string(lineNo) + ": glyph data ends early";
      return false;
    }
    Glyph glyph;
    glyph.left = Coordinate(data[0]);
    glyph.right = Coordinate(data[1]);
    std::vector<Point> stroke;
    for (size_t i = 2; i < wanted; i += 2) {
      if (data[i] == ' ' && data[i + 1] == 'R') {
        if (!stroke.empty()) glyph.strokes.push_back(std::move(stroke));
        stroke.clear();
        continue;
      }
      stroke.push_back({Coordinate(data[i]), Coordinate(data[i + 1])});
    }
    if (!stroke.empty()) glyph.strokes.push_back(std::move(stroke));
    out.m_glyphs.push_back(std::move(glyph));
  }
  if (out.m_glyphs.size() < size_t('~' - ' ' + 1)) {
    error = "the font has " + std::to_string(out.m_glyphs.size()) +
            " glyphs, printable ASCII needs 95";
    return false;
  }
  return true;
}

const HersheyFont::Glyph& HersheyFont::glyph(char c) const {
  const auto u = static_cast<unsigned char>(c);
  if (u < ' ' || size_t(u - ' ') >= m_glyphs.size()) return m_glyphs['?' - ' '];
  return m_glyphs[u - ' '];
}

namespace {

HersheyFont Load(std::string_view jhf, const char* name) {
  HersheyFont font;
  std::string error;
  if (!HersheyFont::Parse(jhf, font, error)) {
    // The data is built in; a failure here is a build fault.
    std::fprintf(stderr, "penemu: built-in font %s: %s\n", name, error.c_str());
    std::abort();
  }
  return font;
}

}  // namespace

const HersheyFont& HersheyFont::Roman() {
  static const HersheyFont font = Load(kFuturalJhf, "futural");
  return font;
}

const HersheyFont& HersheyFont::Cursive() {
  static const HersheyFont font = Load(kCursiveJhf, "cursive");
  return font;
}

}  // namespace scrivel::penemu
