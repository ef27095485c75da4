#include "tests/support/emulatedtablet.h"

#include <linux/input.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace scrivel::test {

namespace {

// A bit mask of `bytes` bytes with the given bits set, in hexadecimal.
std::string Bits(size_t bytes, std::initializer_list<int> set) {
  std::vector<unsigned char> mask(bytes, 0);
  for (int bit : set) mask[bit / 8] |= static_cast<unsigned char>(1u << (bit % 8));
  std::string hex;
  char digits[3];
  for (unsigned char b : mask) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    hex += digits;
  }
  return hex;
}

std::string Hex(const void* data, size_t size) {
  std::string hex;
  char digits[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", static_cast<const unsigned char*>(data)[i]);
    hex += digits;
  }
  return hex;
}

// A text ioctl answer of 255 bytes (what libevdev asks for), `length` given.
std::string Text(const char* text) {
  std::vector<char> buffer(255, 0);
  std::memcpy(buffer.data(), text, std::strlen(text));
  return std::to_string(std::strlen(text) + 1) + " " + Hex(buffer.data(), buffer.size());
}

std::string Abs(int value, int maximum) {
  const input_absinfo info{value, 0, maximum, 0, 0, 100};
  return Hex(&info, sizeof info);
}

constexpr const char* kDescription =
    "P: /devices/virtual/input/input40/event40\n"
    "N: input/event40\n"
    "E: DEVNAME=/dev/input/event40\n"
    "E: ID_INPUT=1\n"
    "E: ID_INPUT_TABLET=1\n"
    "E: MAJOR=13\n"
    "E: MINOR=104\n"
    "E: SUBSYSTEM=input\n"
    "A: dev=13:104\n"
    "\n"
    "P: /devices/virtual/input/input40\n"
    "E: ID_INPUT=1\n"
    "E: ID_INPUT_TABLET=1\n"
    "E: NAME=\"Scrivel Test Tablet\"\n"
    "E: SUBSYSTEM=input\n"
    "A: name=Scrivel Test Tablet\n";

}  // namespace

EmulatedTablet::EmulatedTablet(MockDevices& devices, Opening opening) : m_devices(devices) {
  const input_id id{BUS_USB, 0x56a, 0x357, 0x110};
  const std::string ioctls =
      std::string("@DEV ") + kDevnode + "\n" +
      "EVIOCGBIT(0) 8 " + Bits(8, {EV_SYN, EV_KEY, EV_ABS}) + "\n" +
      "EVIOCGNAME(0) " + Text("Scrivel Test Tablet") + "\n" +
      "EVIOCGPHYS(0) " + Text("usb-scrivel-test/input0") + "\n" +
      "EVIOCGID 0 " + Hex(&id, sizeof id) + "\n" +
      "EVIOCGVERSION 0 01000100\n" +
      "EVIOCGPROP(0) 8 " + Bits(8, {INPUT_PROP_DIRECT}) + "\n" +
      "EVIOCGBIT(1) 96 " + Bits(96, {BTN_TOOL_PEN, BTN_TOUCH, BTN_STYLUS}) + "\n" +
      "EVIOCGBIT(3) 8 " + Bits(8, {ABS_X, ABS_Y}) + "\n" +
      "EVIOCGBIT(2) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGBIT(4) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGBIT(5) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGBIT(17) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGBIT(18) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGBIT(21) 16 " + Bits(16, {}) + "\n" +
      "EVIOCGKEY(0) 96 " +
      (opening.touch ? Bits(96, {BTN_TOOL_PEN, BTN_TOUCH}) : Bits(96, {BTN_TOOL_PEN})) + "\n" +
      "EVIOCGLED(0) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGSW(0) 8 " + Bits(8, {}) + "\n" +
      "EVIOCGABS 0 " + Abs(opening.x, kMaxX) + "\n" +
      "EVIOCGABS(1) 0 " + Abs(opening.y, kMaxY) + "\n";
  m_ok = m_devices.Add(kDescription) && m_devices.LoadIoctls(kDevnode, ioctls);
}

bool EmulatedTablet::Play(const std::vector<Event>& events) {
  std::string lines;
  char line[64];
  for (const Event& e : events) {
    std::snprintf(line, sizeof line, "E: 0.000000 %04X %04X %d\n", e.type, e.code, e.value);
    lines += line;
  }
  return m_devices.LoadEvemu(kDevnode, lines);
}

bool EmulatedTablet::Write(const std::vector<Event>& events) {
  const int side = m_devices.DeviceSide(kDevnode);
  for (const Event& e : events) {
    input_event ev{};
    ev.type = static_cast<uint16_t>(e.type);
    ev.code = static_cast<uint16_t>(e.code);
    ev.value = e.value;
    if (write(side, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) return false;
  }
  return true;
}

void EmulatedTablet::Unplug() { m_devices.Unplug(kDevnode, kSyspath); }

}  // namespace scrivel::test
