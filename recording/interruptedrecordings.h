#pragma once
// At start-up: recordings that a crash, a kill or a power cut interrupted
// (their private folders under the temporary folder, locked by no process)
// are offered for saving, one after the other, with the stop's Save As
// question. What was written up to the last fragment is saved; a save that
// fails says why and asks again; a declined recording's folder is removed.

#include "recording/recordingsave.h"

class QWidget;

namespace scrivel {

// Returns how many recordings were saved.
int OfferInterruptedRecordings(QWidget* owner = nullptr, const SaveDialog& dialog = &AskSavePath);

}  // namespace scrivel
