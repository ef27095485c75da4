#pragma once
// What the share tests have in common: pictures with known content, standard
// output captured around a call, PDF inspection with poppler's tools, and a
// fake xdg-email first on PATH that records what it was asked to mail.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace scrivel::test {

// A white page of `size` with three coloured blocks and a black diagonal,
// so that position, orientation and colour can all be checked.
QImage TestPicture(QSize size);
// The largest channel difference between two pictures of the same size,
// ignoring a `border` of pixels on every side; 256 when the sizes differ.
int MaxChannelDifference(const QImage& a, const QImage& b, int border = 0);
// The mean absolute channel difference of two pictures of the same size
// (lossy copies stay low, a shifted or mirrored one does not); 256 when the
// sizes differ.
double MeanChannelDifference(const QImage& a, const QImage& b);

// Runs `call` with file descriptor 1 redirected into a file and gives what
// it wrote there.
std::string CaptureStdout(const std::function<void()>& call);

// pdfinfo's "Key: value" lines for `path` (empty when pdfinfo fails).
std::map<std::string, std::string> PdfInfo(const std::string& path);
// The rows of `pdfimages -list` below its two header lines.
std::vector<std::vector<std::string>> PdfImages(const std::string& path);
// The PDF's first page rendered by pdftoppm at 72 dpi (one pixel per point).
QImage RenderPdfPage(const std::string& path, const std::string& workDir);

// The fake xdg-email (tests/share/fake-xdg-email), installed as "xdg-email"
// in a private bin folder put first on PATH, with its record file set.
class FakeMail {
 public:
  explicit FakeMail(const std::string& root);
  const std::string& binDir() const { return m_binDir; }
  // Forgets earlier calls and restores the default behaviour (exit 0).
  void Reset();
  void SetExit(int code);
  void SetSignal(const char* name);
  // Makes the fake wait until Release(); Hold() gives nothing back.
  void Hold();
  void Release();
  bool Called() const;
  // The arguments of the last call.
  QStringList Arguments() const;
  // A copy of the k-th attached file, taken when the fake ran.
  std::string Attachment(int k) const;
  std::string AttachmentPath(int k) const;

 private:
  std::string m_root, m_binDir, m_log, m_hold;
};

}  // namespace scrivel::test

namespace scrivel::test {

// For the widget tests that mail: one fake xdg-email for the whole process,
// installed first on PATH before anything asks whether mail is available,
// and TMPDIR pointed at a private folder so that the mail folder is too.
FakeMail& ProcessFakeMail();
// The private temporary folder that TMPDIR names.
std::string ProcessTempFolder();

}  // namespace scrivel::test
