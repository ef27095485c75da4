#pragma once
// Emulated devices for tests through umockdev: a private sysfs and /dev with
// devices from umockdev's text descriptions, their ioctls, scripted reads and
// writes, evemu input events and uevents. The process must run with umockdev's
// preload library (the umockdev test main re-runs the test binary so).

#include <string>

#include "tests/support/tempdir.h"

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace scrivel::test {

class MockDevices {
 public:
  MockDevices();
  ~MockDevices();
  MockDevices(const MockDevices&) = delete;
  MockDevices& operator=(const MockDevices&) = delete;

  // Each returns false and records a test failure when umockdev refuses.
  // Devices in umockdev's description format ("P: ...", "E: ...", "A: ...").
  bool Add(const std::string& description);
  // Replays ioctls recorded in umockdev's ioctl format on `devnode`.
  bool LoadIoctls(const std::string& devnode, const std::string& ioctls);
  // Plays a read/write script (umockdev's script format) on `devnode`.
  bool LoadScript(const std::string& devnode, const std::string& script);
  // Plays evemu input events ("E: <time> <type> <code> <value>") on `devnode`.
  bool LoadEvemu(const std::string& devnode, const std::string& events);

  // The device's own side of `devnode` (a pseudo-terminal's master): what is
  // written there the program reads; closing it hangs the device up.
  int DeviceSide(const std::string& devnode);
  // Sends a uevent ("add", "remove", ...) for the device at `syspath`.
  void Uevent(const std::string& syspath, const char* action);
  // The device is unplugged: `devnode` hangs up under its readers and the
  // device leaves sysfs.
  void Unplug(const std::string& devnode, const std::string& syspath);

 private:
  // Writes `text` into a new file of the private folder and returns its path.
  std::string Keep(const std::string& text);

  UMockdevTestbed* m_testbed;
  TempDir m_files;
  int m_fileCount = 0;
};

// The umockdev script encoding of bytes: values below 32 and '^' escaped.
std::string ScriptBytes(const std::string& bytes);

}  // namespace scrivel::test
