#pragma once
// At start-up, before the main window: the live notes that a crash or a
// failed last write left unfinished are finished (RecoverNotes) and the user
// is told where they are, in one message box with caption "Scrivel".

#include <QString>

#include <vector>

#include "note/notereplay.h"

class QWidget;

namespace scrivel {

// What the message box says about `recovered` (empty when there is nothing).
QString RecoveryMessage(const std::vector<RecoveredNote>& recovered, const QString& folder);

void RecoverLiveNotes(QWidget* parent = nullptr);

}  // namespace scrivel
