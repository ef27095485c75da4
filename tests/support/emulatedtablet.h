#pragma once
// A pen tablet emulated through umockdev: an input device with absolute X and
// Y (0..20000 and 0..10000), a pen tool, touch and stylus buttons, its evdev
// ioctls answering with the state it has at opening, and its events written
// by the test or played from evemu lines.

#include <string>
#include <vector>

#include "tests/support/mockdevices.h"

namespace scrivel::test {

class EmulatedTablet {
 public:
  static constexpr const char* kDevnode = "/dev/input/event40";
  static constexpr const char* kSyspath = "/sys/devices/virtual/input/input40/event40";
  static constexpr int kMaxX = 20000;
  static constexpr int kMaxY = 10000;

  // What the device reports when it is opened.
  struct Opening {
    int x = 0;
    int y = 0;
    bool touch = false;
  };
  struct Event {
    int type, code, value;
  };

  EmulatedTablet(MockDevices& devices, Opening opening);
  bool ok() const { return m_ok; }

  // Plays the events (each report ends with the SYN_REPORT given) as evemu lines.
  bool Play(const std::vector<Event>& events);
  // Writes the events straight to the device's side; false when it is gone.
  bool Write(const std::vector<Event>& events);
  // The tablet is unplugged: the device hangs up under its reader.
  void Unplug();

 private:
  MockDevices& m_devices;
  bool m_ok = false;
};

}  // namespace scrivel::test
