// scrivel-download: downloads the pen's pages into JPG files and documents
// without a window.
//
//   scrivel-download --out DIR [--erase]
//
// Writes 1.jpg ... N.jpg into DIR (created when missing), one line per page,
// and beside them DIR's name + ".pdf" and + ".xopp" with every page. With
// --erase the pen is emptied afterwards, but only when every page file reads
// back and both documents are written.

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "nibdl/nibdl.h"
#include "pages/pagedocuments.h"
#include "pages/pendownload.h"

namespace {

enum ExitCode { kOk = 0, kUsage = 2, kNoPen = 3, kDownloadFailed = 4, kNotSaved = 5 };

int Usage() {
  std::fprintf(stderr, "usage: scrivel-download --out DIR [--erase]\n");
  return kUsage;
}

// Progress on the terminal: one line rewritten in place on a tty, a line per
// change elsewhere. Called from two threads.
class ProgressLine {
 public:
  void Show(int percent) {
    std::lock_guard lock(m_mutex);
    if (percent == m_last) return;
    m_last = percent;
    if (m_tty) std::fprintf(stderr, "\rdownloading from the pen: %3d%%", percent);
    else std::fprintf(stderr, "downloading from the pen: %d%%\n", percent);
    std::fflush(stderr);
  }
  void End() {
    std::lock_guard lock(m_mutex);
    if (m_tty && m_last >= 0) std::fprintf(stderr, "\n");
    m_last = -1;
  }

 private:
  std::mutex m_mutex;
  int m_last = -1;
  const bool m_tty = isatty(STDERR_FILENO);
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString out;
  bool erase = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) out = QString::fromLocal8Bit(argv[++i]);
    else if (std::strcmp(argv[i], "--erase") == 0) erase = true;
    else return Usage();
  }
  if (out.isEmpty()) return Usage();
  const QString folder = QDir(out).absolutePath();

  PenDownload download;
  std::fprintf(stderr, "opening the pen...\n");
  const uint32_t opened = download.Open();
  if (static_cast<int32_t>(opened) < 0) {
    std::fprintf(stderr, "scrivel-download: %s\n", qPrintable(DescribeOpenFailure(opened)));
    return kNoPen;
  }

  ProgressLine progress;
  PenDownload::Callbacks callbacks;
  callbacks.progress = [&](int kind, int percent) {
    if (kind == DUVO_PROGRESS_LOST)
      std::fprintf(stderr, "scrivel-download: some packets were lost and could not be fetched again\n");
    else progress.Show(percent);
  };
  callbacks.chooseFolder = [&](const QString&) -> std::optional<QString> {
    progress.End();
    return folder;
  };
  callbacks.pageRendered = [&](int page, const QImage&) {
    std::printf("page %d: %s\n", page, qPrintable(QDir(folder).filePath(QString::number(page) + ".jpg")));
    std::fflush(stdout);
  };
  callbacks.writingDocuments = [] { std::fprintf(stderr, "writing the PDF and Xournal++ documents...\n"); };
  const PenDownload::Result result = download.Run(callbacks);
  progress.End();

  switch (result.outcome) {
    case PenDownload::Outcome::DownloadFailed:
      std::fprintf(stderr, "scrivel-download: %s\n", qPrintable(DescribeDownloadFailure(result.code)));
      return kDownloadFailed;
    case PenDownload::Outcome::EmptyPen:
      std::printf("The pen holds no pages.\n");
      return kOk;
    case PenDownload::Outcome::Cancelled:
      return kUsage;
    case PenDownload::Outcome::Saved:
    case PenDownload::Outcome::CutOff:
      break;
  }
  if (!result.failedPages.empty()) {
    std::string pages;
    for (const int page : result.failedPages) pages += (pages.empty() ? "" : ", ") + std::to_string(page);
    std::fprintf(stderr, "scrivel-download: pages %s could not be saved in %s\n", pages.c_str(),
                 qPrintable(folder));
  }
  for (const QString& document : result.failedDocuments)
    std::fprintf(stderr, "scrivel-download: document not written: %s\n", qPrintable(document));
  if (!result.allSaved()) {
    std::fprintf(stderr, "scrivel-download: the pen was not erased\n");
    return kNotSaved;
  }
  for (const char* suffix : {"pdf", "xopp"})
    std::printf("document: %s\n", qPrintable(PageDocumentPath(folder, QString::fromLatin1(suffix))));
  std::printf("%d pages saved in %s\n", result.pageCount, qPrintable(folder));
  if (result.outcome == PenDownload::Outcome::CutOff) {
    std::fprintf(stderr, "scrivel-download: %s The pages received whole were saved; the pen was not erased\n",
                 qPrintable(DescribeDownloadFailure(result.code)));
    return kDownloadFailed;
  }
  if (erase) {
    if (!download.Erase()) {
      std::fprintf(stderr, "scrivel-download: the pen could not be erased\n");
      return kDownloadFailed;
    }
    std::printf("The pen was erased.\n");
  }
  return kOk;
}
