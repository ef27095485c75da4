#include "xopp/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

void SetError(QString* error, const QString& path, int err) {
  if (error) *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
}

}  // namespace

bool SyncFolder(const QString& dir) {
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                         QString* error) {
  const QFileInfo target(path);
  const QString dir = target.absolutePath();
  QByteArray tmpl = QFile::encodeName(dir + QStringLiteral("/.") + target.fileName() +
                                      QStringLiteral(".XXXXXX"));
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  QFile file;
  bool ok = file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
  if (ok) ok = write(file);
  if (ok) ok = file.flush();
  int err = ok ? 0 : (errno != 0 ? errno : EIO);
  file.close();
  // mkostemp makes the file private (0600): give it the mode of the file it
  // replaces, or that of a new document. (Reading the umask would change it
  // for every thread for a moment.)
  if (ok) {
    struct stat old{};
    const bool exists = ::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0;
    ::fchmod(fd, exists ? (old.st_mode & 07777) : 0644);
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(tmpl.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmpl.constData());
    SetError(error, path, err);
    return false;
  }
  if (!SyncFolder(dir)) {
    SetError(error, dir, errno);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  return WriteFileAtomically(
      path, [&data](QIODevice& out) { return out.write(data) == data.size(); }, error);
}
