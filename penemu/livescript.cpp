#include "penemu/livescript.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "penemu/handwriting.h"
#include "penemu/hersheyfont.h"

namespace scrivel::penemu {

std::vector<LiveEvent> LiveEventsFromSamples(const std::vector<Sample>& samples) {
  std::vector<LiveEvent> events;
  bool inStroke = false;
  Sample last;
  for (const Sample& s : samples) {
    if (s.y < 0) {
      if (inStroke) events.push_back({LiveEvent::kUp, last.x, last.y});
      inStroke = false;
      continue;
    }
    events.push_back({inStroke ? LiveEvent::kMove : LiveEvent::kDown, s.x, s.y});
    inStroke = true;
    last = s;
  }
  if (inStroke) events.push_back({LiveEvent::kUp, last.x, last.y});
  return events;
}

std::vector<LiveEvent> LiveEventsFromText(const std::string& text) {
  Handwriting pen(HersheyFont::Roman());
  std::vector<Sample> samples;
  for (const auto& page : pen.write(text)) samples.insert(samples.end(), page.begin(), page.end());
  return LiveEventsFromSamples(samples);
}

bool ReadStrokeFile(const std::string& path, std::vector<Sample>& samples, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  samples.clear();
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.find_first_not_of(" \t") == std::string::npos) {
      if (!samples.empty() && samples.back().y >= 0) samples.push_back(kPenUp);
      continue;
    }
    std::istringstream fields(line);
    long x = 0, y = 0;
    std::string rest;
    if (!(fields >> x >> y) || (fields >> rest) || x < -5750 || x > 5750 || y < 0 || y > 16000) {
      error = path + ":" + std::to_string(number) +
              ": expected \"x y\" with x in -5750..5750 and y in 0..16000";
      return false;
    }
    const Sample s{int16_t(x), int16_t(y)};
    samples.push_back(s);
  }
  if (!samples.empty() && samples.back().y >= 0) samples.push_back(kPenUp);
  return true;
}

size_t StrokeCount(const std::vector<LiveEvent>& events) {
  size_t strokes = 0;
  for (const LiveEvent& e : events) strokes += e.type == LiveEvent::kDown;
  return strokes;
}

void EncodeLiveEvents(const LiveEvent* events, size_t count, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < count; ++i) {
    const auto x = uint16_t(events[i].x), y = uint16_t(events[i].y);
    const uint8_t record[6] = {uint8_t(events[i].type), uint8_t(events[i].type >> 8),
                               uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)};
    out.insert(out.end(), record, record + 6);
  }
}

}  // namespace scrivel::penemu
