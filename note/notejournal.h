#pragma once
// The journal of a live note: the file beside its document that receives
// every completed action as it happens, so that a note outlives a crash.
//
// Layout: the magic "SCRVJRN1", the canvas width and height (32 bits each,
// little-endian), then one record per action: its length and the CRC-32 of
// its payload (32 bits each), then the payload. A picture's record carries
// the picture file's bytes, so that replay does not depend on the file.
// A record cut off by a crash or failing its check ends what can be read.

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

#include "note/noteaction.h"

// The file's start for a canvas of `canvas`.
QByteArray JournalHeader(QSize canvas);
// One action as a record; `pictureBytes` is the picture file's content for
// a picture action.
QByteArray JournalRecord(const NoteAction& action, const QByteArray& pictureBytes = {});

struct JournalEntry {
  NoteAction action;
  QByteArray pictureBytes;
};

struct JournalContents {
  QSize canvas;
  std::vector<JournalEntry> entries;  // every record up to the first that cannot be read
  bool intact = false;                // every byte of the file was read
  qint64 intactBytes = 0;             // where the readable part ends
  QString error;                      // why not, when not
};

JournalContents ReadJournalBytes(const QByteArray& bytes);
JournalContents ReadJournal(const QString& path);
