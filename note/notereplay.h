#pragma once
// Recovery of live notes whose window did not close properly: each journal
// left in the notes folder is replayed, action by action, onto a new page
// model, and the note's document is written from it. A journal that cannot
// be read whole is kept aside (renamed "<journal>.damaged") and what was
// intact in it goes to "<name> (recovered).xopp" beside the note's own
// document, which stays as it was.
//
// A journal still locked by a running Scrivel is left alone. Replay uses the
// process-wide note state (g_pages) and leaves it empty: call it before any
// live note opens.

#include <QString>

#include <optional>
#include <vector>

#include "note/notejournal.h"
#include "xopp/xoppdocument.h"

struct RecoveredNote {
  QString document;    // the recovered document, empty when none could be written
  QString keptAside;   // the damaged journal's new path, empty when it was whole
  QString problem;     // what went wrong, empty when nothing did
};

// The document of the pages that the journal's actions make, replayed from
// the first, titled `title`.
XoppDocument ReplayJournal(const JournalContents& journal, const QString& title);

// Recovers the note of `journalPath`; nothing when there is nothing to do
// (the journal is in use, or holds no action).
std::optional<RecoveredNote> RecoverNote(const QString& journalPath);
// Every note in `folder`.
std::vector<RecoveredNote> RecoverNotes(const QString& folder);
