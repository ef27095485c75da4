#include "tests/support/mockdevices.h"

#include <gtest/gtest.h>
#include <umockdev.h>
#include <fcntl.h>
#include <unistd.h>

namespace scrivel::test {

namespace {

// Reports a refusal of umockdev as a test failure.
bool Check(gboolean ok, GError* error, const char* what) {
  if (ok) return true;
  ADD_FAILURE() << "umockdev refused " << what << ": " << (error ? error->message : "?");
  g_clear_error(&error);
  return false;
}

}  // namespace

MockDevices::MockDevices() : m_testbed(umockdev_testbed_new()) {}

MockDevices::~MockDevices() { g_object_unref(m_testbed); }

std::string MockDevices::Keep(const std::string& text) {
  const std::string path = m_files.file("record" + std::to_string(++m_fileCount));
  WriteFile(path, text);
  return path;
}

bool MockDevices::Add(const std::string& description) {
  GError* error = nullptr;
  return Check(umockdev_testbed_add_from_string(m_testbed, description.c_str(), &error), error,
               "the device description");
}

bool MockDevices::LoadIoctls(const std::string& devnode, const std::string& ioctls) {
  GError* error = nullptr;
  return Check(umockdev_testbed_load_ioctl(m_testbed, devnode.c_str(), Keep(ioctls).c_str(), &error),
               error, "the ioctls");
}

bool MockDevices::LoadScript(const std::string& devnode, const std::string& script) {
  GError* error = nullptr;
  return Check(
      umockdev_testbed_load_script(m_testbed, devnode.c_str(), Keep(script).c_str(), &error),
      error, "the script");
}

bool MockDevices::LoadEvemu(const std::string& devnode, const std::string& events) {
  GError* error = nullptr;
  return Check(umockdev_testbed_load_evemu_events(m_testbed, devnode.c_str(),
                                                  Keep(events).c_str(), &error),
               error, "the evemu events");
}

int MockDevices::DeviceSide(const std::string& devnode) {
  return umockdev_testbed_get_dev_fd(m_testbed, devnode.c_str());
}

void MockDevices::Uevent(const std::string& syspath, const char* action) {
  umockdev_testbed_uevent(m_testbed, syspath.c_str(), action);
}

void MockDevices::Unplug(const std::string& devnode, const std::string& syspath) {
  // /dev/null takes the place of the pseudo-terminal's master: the node hangs
  // up, and the descriptor number that umockdev closes later stays valid.
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  dup2(null, DeviceSide(devnode));
  close(null);
  umockdev_testbed_remove_device(m_testbed, syspath.c_str());
}

std::string ScriptBytes(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32) {
      out += '^';
      out += static_cast<char>(b + 64);
    } else if (b == '^') {
      out += "^`";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace scrivel::test
