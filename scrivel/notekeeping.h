#pragma once
// The live note window's document on disk: a keeper (CNoteKeeper) in the
// notes folder that receives every action of the window's model; when the
// note cannot be kept, the user is told why once, in a message box with
// caption "Scrivel" shown after the window opens.
//
// When the window closes, its keeper finishes on its own thread (the last
// document write of a note with a large photo takes a good part of a second)
// and the program waits for every such keeper before it ends. A program
// killed before that leaves the journal, which the next start recovers.

#include <memory>

class CNoteKeeper;
class CNoteModel;
class QWidget;

namespace scrivel {

std::unique_ptr<CNoteKeeper> KeepLiveNote(QWidget* window, CNoteModel& model);

// Closes `keeper` without waiting for its last write; it lives on until then.
void FinishKeepingInBackground(std::unique_ptr<CNoteKeeper> keeper);

// Waits for every keeper handed to FinishKeepingInBackground.
void WaitForKeptNotes();

}  // namespace scrivel
