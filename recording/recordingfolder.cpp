#include "recording/recordingfolder.h"

#include <QDir>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace scrivel {
namespace {

constexpr const char* kPrefix = "scrivel-recording-";
constexpr const char* kLockName = "lock";

}  // namespace

CRecordingFolder::~CRecordingFolder() { Remove(); }

bool CRecordingFolder::Create(const QString& tempFolder) {
  Remove();
  QByteArray name = (tempFolder + QLatin1String(kPrefix) + QStringLiteral("XXXXXX")).toLocal8Bit();
  if (mkdtemp(name.data()) == nullptr) {
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  m_path = QString::fromLocal8Bit(name) + QLatin1Char('/');
  if (Lock()) return true;
  QDir(m_path).removeRecursively();
  m_path.clear();
  return false;
}

bool CRecordingFolder::Adopt(const QString& folder) {
  Remove();
  m_path = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  if (Lock()) return true;
  m_path.clear();
  return false;
}

bool CRecordingFolder::Lock() {
  const QByteArray lockPath = (m_path + QLatin1String(kLockName)).toLocal8Bit();
  const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return false;
  }
  m_lock = fd;
  return true;
}

void CRecordingFolder::Remove() {
  if (m_lock < 0) return;
  QDir(m_path).removeRecursively();
  ::close(m_lock);  // the lock goes with the descriptor
  m_lock = -1;
  m_path.clear();
}

void CRecordingFolder::Release() {
  if (m_lock < 0) return;
  ::close(m_lock);
  m_lock = -1;
  m_path.clear();
}

QStringList CRecordingFolder::Interrupted(const QString& tempFolder) {
  QStringList folders;
  const QDir temp(tempFolder);
  const QStringList names =
      temp.entryList({QLatin1String(kPrefix) + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    const QString folder = temp.filePath(name);
    const QByteArray lockPath = (folder + QLatin1Char('/') + QLatin1String(kLockName)).toLocal8Bit();
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;  // not one of ours, or being made right now
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) folders << folder;
    ::close(fd);
  }
  return folders;
}

}  // namespace scrivel
