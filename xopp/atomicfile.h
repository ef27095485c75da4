#pragma once
// Writing a file so that it is whole or not there: the data goes to a
// temporary file in the same folder, is flushed to disk (fsync), renamed over
// the target and the folder is flushed too. A failure at any step leaves the
// previous file as it was and removes the temporary one.
//
// Blocking (it waits for the disk): call it off the user-interface thread
// where the user would notice.

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Writes `data` as the file `path`; false with a message in `error` (which
// names the path and the system's reason) when it could not be kept.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);
// The same with the content written by `write` into the temporary file (a
// QFile opened for writing); `write` returns false to give up.
bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                         QString* error = nullptr);
// Flushes the folder `dir` itself (its entries) to disk.
bool SyncFolder(const QString& dir);
