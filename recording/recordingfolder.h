#pragma once
// The private folder of one recording under the temporary folder:
// "scrivel-recording-XXXXXX" made by mkdtemp, so two Scrivel processes never
// share a file. It holds the recording's fragmented MP4 "Note.mp4" and a lock
// file that the recording process keeps locked (flock) while it lives; a
// folder whose lock nobody holds belongs to a recording that was interrupted.

#include <QString>
#include <QStringList>

namespace scrivel {

class CRecordingFolder {
 public:
  CRecordingFolder() = default;
  // Removes a folder still held.
  ~CRecordingFolder();
  CRecordingFolder(const CRecordingFolder&) = delete;
  CRecordingFolder& operator=(const CRecordingFolder&) = delete;

  // Makes a new folder under `tempFolder` (ends with "/") and locks it.
  // False when it cannot be made (the error is in errorText()).
  bool Create(const QString& tempFolder);
  // Takes over an existing folder whose lock nobody holds. False when it is
  // held by a running recording or cannot be opened.
  bool Adopt(const QString& folder);
  // Removes the folder with everything in it and gives up the lock.
  void Remove();
  // Gives up the lock and keeps the folder (for the next start to offer).
  void Release();

  bool isHeld() const { return m_lock >= 0; }
  const QString& path() const { return m_path; }  // ends with "/"
  QString videoPath() const { return m_path + QStringLiteral("Note.mp4"); }
  const QString& errorText() const { return m_error; }

  // Folders under `tempFolder` that belong to no running recording.
  static QStringList Interrupted(const QString& tempFolder);

 private:
  bool Lock();

  QString m_path;
  QString m_error;
  int m_lock = -1;
};

}  // namespace scrivel
