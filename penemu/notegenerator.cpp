#include "penemu/notegenerator.h"

#include "penemu/handwriting.h"
#include "penemu/hersheyfont.h"

namespace scrivel::penemu {

namespace {

constexpr const char* kSyllables[] = {
    "an", "be", "ca", "do", "el", "fi", "go", "ha", "in", "jo", "ke", "la", "mi", "no", "or",
    "pa", "qu", "re", "si", "to", "un", "ve", "wa", "xe", "yo", "ze", "st", "th", "er", "ing"};
constexpr const char* kMarks[] = {".", ",", "!", "?", ":", ";"};

}  // namespace

NoteGenerator::NoteGenerator(uint64_t seed) : m_seed(seed), m_random(seed) {}

std::string NoteGenerator::word() {
  std::string w;
  const int syllables = 1 + int(m_random() % 4);
  for (int i = 0; i < syllables; ++i) w += kSyllables[m_random() % std::size(kSyllables)];
  if (m_random() % 6 == 0) w[0] = char(w[0] - 'a' + 'A');
  if (m_random() % 8 == 0) w += kMarks[m_random() % std::size(kMarks)];
  if (m_random() % 12 == 0) w = std::to_string(m_random() % 1000);
  return w;
}

std::string NoteGenerator::text() {
  std::string t;
  const int words = 10 + int(m_random() % 36);
  for (int w = 0; w < words; ++w) {
    t += word();
    t += (m_random() % 9 == 0) ? '\n' : ' ';
  }
  return t;
}

std::vector<Sample> NoteGenerator::next() {
  Handwriting pen(HersheyFont::Cursive());
  // Each note's wobble has its own stream, so notes differ but repeat per seed.
  pen.setJitter(1.0, m_seed * 0x9E3779B97F4A7C15ull + ++m_index);
  for (;;) {
    // One page per note: what does not fit the page is left out.
    auto pages = pen.write(text());
    if (!pages.empty() && pages.front().size() >= NoteMemory::kMinRecords * 4)
      return std::move(pages.front());
  }
}

}  // namespace scrivel::penemu
