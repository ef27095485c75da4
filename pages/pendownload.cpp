#include "pages/pendownload.h"

#include <QDir>

#include "common/penconfig.h"
#include "common/trace.h"
#include "nibdl/nibdl.h"
#include "pages/pagedocuments.h"
#include "pages/pagerender.h"
#include "pages/pagestrokes.h"
#include "ports/receiverdiscovery/receiverdiscovery.h"

namespace {

bool Failed(uint32_t code) { return static_cast<int32_t>(code) < 0; }

void ForwardProgress(int kind, int percent, void* context) {
  const auto* callbacks = static_cast<const PenDownload::Callbacks*>(context);
  if (callbacks->progress) callbacks->progress(kind, percent);
}

}  // namespace

PenDownload::~PenDownload() { Close(); }

uint32_t PenDownload::Open() {
  uint32_t code = DUVOInit(DUVO_INTERFACE_VERSION);
  if (Failed(code)) {
    scrivel::Trace(" Driver does not support requirement \n");
    return code;
  }
  uint32_t dwVersion = 0;
  code = DUVOOpenDevice(&dwVersion);
  if (Failed(code)) {
    scrivel::Trace("Failed to find device \n");
    return code;
  }
  m_open = true;
  return code;
}

PenDownload::Result PenDownload::Download(const Callbacks& callbacks) {
  Result result;
  result.code = DUVORequestData(ForwardProgress, const_cast<Callbacks*>(&callbacks));
  int pageCount = 0;
  const uint32_t countCode = DUVOGetPageCount(&pageCount);
  if (Failed(result.code)) {
    // The library keeps the pages it received whole before the failure.
    if (!Failed(countCode) && pageCount > 0) {
      result.pageCount = pageCount;
      result.outcome = Outcome::CutOff;
    }
    return result;
  }
  result.code = countCode;
  if (Failed(result.code)) return result;
  result.pageCount = pageCount;
  result.outcome = pageCount == 0 ? Outcome::EmptyPen : Outcome::Saved;
  return result;
}

std::optional<DownloadedPage> PenDownload::FetchPage(int page) {
  DUVOPAGE* records = nullptr;
  int EventsInPage = 0;
  if (Failed(DUVOGetPage(page, &records, &EventsInPage))) return std::nullopt;
  DownloadedPage downloaded;
  downloaded.number = page;
  downloaded.strokes = PenStrokes(records, EventsInPage);
  DUVOFreePage(records);
  char text[32] = {};
  DUVOGetTimeStamp(page, text, nullptr);
  downloaded.timeStamp = QString::fromLatin1(text);
  downloaded.flipped = DUVOIsPageFlipped(page) == 1;
  downloaded.uploaded = DUVOIsPageUploaded(page) == 1;
  return downloaded;
}

void PenDownload::SavePages(Result& result, const QString& folder, const Callbacks& callbacks) {
  result.folder = folder;
  result.failedPages.clear();
  result.failedDocuments.clear();
  if (!QDir(folder).exists()) QDir().mkpath(folder);
  std::vector<DownloadedPage> pages;
  for (int page = 1; page <= result.pageCount; ++page) {
    std::optional<DownloadedPage> downloaded = FetchPage(page);
    if (!downloaded) {
      result.failedPages.push_back(page);
      continue;
    }
    const QImage picture = RenderPage(PageStrokes(downloaded->strokes));
    if (callbacks.pageRendered) callbacks.pageRendered(page, picture);
    if (!SavePageJpg(folder, page, picture)) result.failedPages.push_back(page);
    pages.push_back(std::move(*downloaded));
  }
  if (callbacks.writingDocuments) callbacks.writingDocuments();
  result.failedDocuments = SavePageDocuments(folder, pages);
}

PenDownload::Result PenDownload::Run(const Callbacks& callbacks) {
  Result result = Download(callbacks);
  if (result.outcome != Outcome::Saved && result.outcome != Outcome::CutOff) return result;
  const auto folder = callbacks.chooseFolder
                          ? callbacks.chooseFolder(MakeTimeStamp(QDateTime::currentDateTime()))
                          : std::nullopt;
  if (!folder || folder->isEmpty()) {
    result.outcome = Outcome::Cancelled;
    return result;
  }
  SavePages(result, *folder, callbacks);
  return result;
}

bool PenDownload::Erase() { return m_open && !Failed(DUVOEraseAllPages()); }

void PenDownload::Close() {
  if (!m_open) return;
  DUVOCloseDevice();
  m_open = false;
}

QString MakeTimeStamp(const QDateTime& localTime) {
  const QDate d = localTime.date();
  const QTime t = localTime.time();
  return QString::asprintf("%04d-%02d-%02d-%02d-%02d-%02d", d.year(), d.month(), d.day(), t.hour(),
                           t.minute(), t.second());
}

QString DescribeOpenFailure(uint32_t code) {
  switch (code) {
    case DUVO_E_NOTINIT:
      if (!scrivel::ReadPenConfig().port)
        return QString("No pen is configured: %1 has no \"Port\" setting.")
            .arg(QString::fromStdString(scrivel::PenConfigPath()));
      return "The pen's port module could not be loaded.";
    case DUVO_E_ALREADYOPEN:
      return "The pen is already in use by another download.";
    case DUVO_E_NOTOPEN: {
      const scrivel::PenConfig config = scrivel::ReadPenConfig();
      if (config.port == -1 && ports::WantsDiscovery(config)) {
        const ports::ReceiverSearch found = ports::FindReceiver(config);
        if (found.devnode.empty())
          return QString("The pen was not found: %1.").arg(QString::fromStdString(found.problem));
        return QString("The pen's receiver %1 could not be opened: check that you may use it "
                       "(the package's udev rule gives it to the desktop's user).")
            .arg(QString::fromStdString(found.devnode));
      }
      return "The pen was not found: check that its receiver is connected.";
    }
    default:
      return QString("The pen could not be opened (error 0x%1).").arg(code, 8, 16, QChar('0'));
  }
}

QString DescribeDownloadFailure(uint32_t code) {
  switch (code) {
    case DUVO_E_TIMEOUT:
      return "The pen stopped answering during the download (time-out).";
    case DUVO_E_PROTOCOL:
      return "The pen's answers could not be understood (protocol error).";
    case DUVO_E_NOMEMORY:
      return "There is not enough memory to receive the pen's notes.";
    case DUVO_E_THREAD:
      return "The download could not be started.";
    case DUVO_E_NOTOPEN:
    case DUVO_E_NOTINIT:
      return "The pen connection was lost.";
    default:
      return QString("The download failed (error 0x%1).").arg(code, 8, 16, QChar('0'));
  }
}
