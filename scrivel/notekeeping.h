#pragma once
// The live note window's document on disk: a keeper (CNoteKeeper) in the
// notes folder that receives every action of the window's model; when the
// note cannot be kept, the user is told why once, in a message box with
// caption "Scrivel" shown after the window opens.

#include <memory>

class CNoteKeeper;
class CNoteModel;
class QWidget;

namespace scrivel {

std::unique_ptr<CNoteKeeper> KeepLiveNote(QWidget* window, CNoteModel& model);

}  // namespace scrivel
