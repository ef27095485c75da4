#include "tests/share/sharetesting.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "tests/support/process.h"

namespace scrivel::test {

QImage TestPicture(QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  const int w = size.width(), h = size.height();
  painter.fillRect(QRect(w / 10, h / 10, w / 3, h / 4), QColor(200, 30, 30));
  painter.fillRect(QRect(w / 2, h / 2, w / 3, h / 4), QColor(30, 60, 200));
  painter.fillRect(QRect(w / 10, h * 2 / 3, w / 4, h / 5), QColor(20, 160, 60));
  painter.setPen(QPen(Qt::black, 3));
  painter.drawLine(QPoint(0, 0), QPoint(w - 1, h - 1));
  return picture;
}

int MaxChannelDifference(const QImage& a, const QImage& b, int border) {
  if (a.size() != b.size()) return 256;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  int worst = 0;
  for (int row = border; row < x.height() - border; ++row) {
    for (int col = border; col < x.width() - border; ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q))});
    }
  }
  return worst;
}

double MeanChannelDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 256;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  }
  return sum / (3.0 * x.width() * x.height());
}

std::string CaptureStdout(const std::function<void()>& call) {
  TempDir dir;
  const std::string path = dir.file("stdout.txt");
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (saved < 0 || file < 0) {
    ADD_FAILURE() << "cannot redirect stdout";
    return {};
  }
  dup2(file, STDOUT_FILENO);
  close(file);
  call();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  return ReadFile(path);
}

std::map<std::string, std::string> PdfInfo(const std::string& path) {
  std::map<std::string, std::string> fields;
  const RunResult result = Run("/usr/bin/pdfinfo", {path});
  if (result.exitCode != 0) return fields;
  std::istringstream lines(result.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    fields[line.substr(0, colon)] = value;
  }
  return fields;
}

std::vector<std::vector<std::string>> PdfImages(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  const RunResult result = Run("/usr/bin/pdfimages", {"-list", path});
  if (result.exitCode != 0) return rows;
  std::istringstream lines(result.out);
  std::string line;
  for (int header = 0; header < 2 && std::getline(lines, line); ++header) {
  }
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> row;
    for (std::string word; words >> word;) row.push_back(word);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

QImage RenderPdfPage(const std::string& path, const std::string& workDir) {
  const std::string prefix = workDir + "/rendered";
  const RunResult result =
      Run("/usr/bin/pdftoppm", {"-png", "-r", "72", "-singlefile", "-f", "1", "-l", "1", path, prefix});
  if (result.exitCode != 0) return {};
  return QImage(QString::fromStdString(prefix + ".png"));
}

FakeMail::FakeMail(const std::string& root)
    : m_root(root), m_binDir(root + "/bin"), m_log(root + "/mail.log"), m_hold(root + "/mail.release") {
  std::filesystem::create_directories(m_binDir);
  std::filesystem::copy_file(std::string(SCRIVEL_SOURCE_DIR) + "/tests/share/fake-xdg-email",
                             m_binDir + "/xdg-email", std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(m_binDir + "/xdg-email", std::filesystem::perms::owner_all |
                                                            std::filesystem::perms::group_read |
                                                            std::filesystem::perms::group_exec);
  const char* path = std::getenv("PATH");
  const std::string searched = m_binDir + ":" + (path != nullptr ? path : "/usr/bin:/bin");
  setenv("PATH", searched.c_str(), 1);
  setenv("FAKE_MAIL_LOG", m_log.c_str(), 1);
  Reset();
}

void FakeMail::Reset() {
  unsetenv("FAKE_MAIL_EXIT");
  unsetenv("FAKE_MAIL_SIGNAL");
  unsetenv("FAKE_MAIL_HOLD");
  std::error_code ignored;
  std::filesystem::remove(m_log, ignored);
  std::filesystem::remove(m_hold, ignored);
  for (int k = 0; k < 4; ++k) std::filesystem::remove(AttachmentPath(k), ignored);
}

void FakeMail::SetExit(int code) { setenv("FAKE_MAIL_EXIT", std::to_string(code).c_str(), 1); }
void FakeMail::SetSignal(const char* name) { setenv("FAKE_MAIL_SIGNAL", name, 1); }
void FakeMail::Hold() { setenv("FAKE_MAIL_HOLD", m_hold.c_str(), 1); }
void FakeMail::Release() { WriteFile(m_hold, "go"); }
bool FakeMail::Called() const { return std::filesystem::exists(m_log); }

QStringList FakeMail::Arguments() const {
  QStringList arguments;
  if (!Called()) return arguments;
  const std::string text = ReadFile(m_log);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    arguments << QString::fromStdString(text.substr(start, end - start));
  return arguments;
}

std::string FakeMail::AttachmentPath(int k) const { return m_log + ".attach" + std::to_string(k); }

std::string FakeMail::Attachment(int k) const {
  return std::filesystem::exists(AttachmentPath(k)) ? ReadFile(AttachmentPath(k)) : std::string();
}

}  // namespace scrivel::test

namespace scrivel::test {
namespace {

struct ProcessMailSetup {
  TempDir root;
  std::string temp;
  FakeMail* fake = nullptr;
  ProcessMailSetup() {
    temp = root.file("tmp");
    std::filesystem::create_directories(temp);
    fake = new FakeMail(root.path());
    setenv("TMPDIR", temp.c_str(), 1);
  }
  ~ProcessMailSetup() { delete fake; }
};

ProcessMailSetup& Setup() {
  static ProcessMailSetup setup;
  return setup;
}

}  // namespace

FakeMail& ProcessFakeMail() { return *Setup().fake; }
std::string ProcessTempFolder() { return Setup().temp; }

}  // namespace scrivel::test
