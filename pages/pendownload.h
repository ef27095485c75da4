#pragma once
// One download of the pen's stored pages: open the pen, download every note,
// turn each page into a picture and a JPG file in a folder, write the PDF and
// the Xournal++ document of all pages beside them, optionally erase the pen,
// close it. The application's main window and the command-line tool
// both run it; they differ only in how they ask for the folder and show progress.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "pages/downloadedpage.h"

class PenDownload {
 public:
  struct Callbacks {
    // kind 0 (waiting loop), 1 (transfer) or 2 (packets lost) and a percent;
    // called on the download's thread and on the library's worker.
    std::function<void(int kind, int percent)> progress;
    // The folder for the page files, given a default name; nullopt cancels.
    std::function<std::optional<QString>(const QString& defaultName)> chooseFolder;
    // A page's picture, before its file is written (page numbers from 1).
    std::function<void(int page, const QImage& picture)> pageRendered;
    // Every page file is written; the documents of all pages come next.
    std::function<void()> writingDocuments;
  };

  enum class Outcome {
    Saved,           // every page rendered; see failedPages for files not written
    EmptyPen,        // the pen holds no pages
    Cancelled,       // no folder was chosen: nothing written, nothing erased
    DownloadFailed,  // the library reported an error (see code)
    CutOff,          // the download failed part-way (see code); the pages received whole are
                     // saved as for Saved, and the pen must not be erased
  };

  struct Result {
    Outcome outcome = Outcome::DownloadFailed;
    uint32_t code = 0;          // the library's result when it failed
    int pageCount = 0;
    QString folder;
    std::vector<int> failedPages;  // pages whose file could not be written or read back
    QStringList failedDocuments;   // "<file>: <reason>" for each document not written
    // Every page file and both documents are on disk: the pen may be erased.
    bool allSaved() const { return failedPages.empty() && failedDocuments.isEmpty(); }
  };

  PenDownload() = default;
  ~PenDownload();
  PenDownload(const PenDownload&) = delete;
  PenDownload& operator=(const PenDownload&) = delete;

  // Initialises the library and opens the pen; the library's code (negative
  // when read as signed on failure).
  uint32_t Open();
  // The whole flow in one call: Download, chooseFolder, SavePages. Blocks.
  Result Run(const Callbacks& callbacks);

  // The steps of Run, for a caller that asks for the folder on another
  // thread. Download blocks until every note is read (outcome Saved means
  // "pages to save"); SavePages renders and writes every page into the
  // folder (created when missing), then writes the page documents, and fills
  // result.failedPages and result.failedDocuments.
  Result Download(const Callbacks& callbacks);
  void SavePages(Result& result, const QString& folder, const Callbacks& callbacks);
  // Empties the pen's memory; true on success.
  bool Erase();
  // Closes the pen connection (also done by the destructor).
  void Close();

  bool isOpen() const { return m_open; }

 private:
  // Page `page` (from 1) with its strokes, time stamp and flags.
  static std::optional<DownloadedPage> FetchPage(int page);

  bool m_open = false;
};

// "YYYY-MM-DD-hh-mm-ss" of the given local time: the default folder name.
QString MakeTimeStamp(const QDateTime& localTime);

// A sentence for the user about a failure to open the pen or to download.
QString DescribeOpenFailure(uint32_t code);
QString DescribeDownloadFailure(uint32_t code);
