#pragma once
// Saving a recording: the Save As question (with the discard question when
// it is cancelled), the MP4 at the chosen path and its mail copy
// "FMMAPI/Note.mp4" in the temporary folder, which the share dialog offers.

#include <QString>

#include <functional>

class QWidget;

namespace scrivel {

// Asks where the MP4 goes; an empty path means the user cancelled.
using SaveDialog = std::function<QString(QWidget* owner)>;

// The default save dialog: "*.mp4", default extension "mp4", initial name
// "Note.mp4", asking before overwriting.
QString AskSavePath(QWidget* owner);

// Asks `dialog` until the user gives a path or, asked whether to discard
// the recording (caption "Scrivel"), says Yes: then the result is empty.
QString AskSavePathOrDiscard(QWidget* owner, const SaveDialog& dialog);

struct SaveOutcome {
  bool saved = false;     // the MP4 is at the chosen path
  bool mailCopy = false;  // and in the mail folder
  QString error;          // why not, for the user
};

// Puts the recording `videoPath` at `path` and into the mail folder of
// `tempFolder`. A `finished` file (its encoders drained, its index written)
// is copied as it is; one that was cut short is rebuilt from the packets it
// holds. `videoPath` may be moved away.
SaveOutcome SaveRecording(const QString& videoPath, bool finished, const QString& path, const QString& tempFolder);

// The outcome for the user: language string 10005 when saved, otherwise a
// warning with the reason (caption "Scrivel").
void ShowSaveOutcome(QWidget* owner, const SaveOutcome& outcome, const QString& path);

}  // namespace scrivel
