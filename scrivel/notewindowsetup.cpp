#include "scrivel/notewindowsetup.h"

#include <QIcon>
#include <QLineEdit>
#include <QWidget>

#include "lang/textids.h"
#include "resources/resourcepath.h"
#include "scrivel/buttontips.h"
#include "scrivel/windowfit.h"

namespace scrivel {

const std::vector<ButtonKeys>& NoteKeys() {
  static const std::vector<ButtonKeys> keys = {
      {1009, {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
      {1010, {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
      {1013, {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_N)}},
      {1012, {QKeySequence(Qt::Key_PageUp)}},
      {1007, {QKeySequence(Qt::Key_E)}},
      {1019, {QKeySequence(Qt::CTRL | Qt::Key_W)}},
  };
  return keys;
}

void SetUpNoteWindow(QWidget* note) {
  using namespace scrivel::text;
  // Minimised, the window is found in the task bar by its title and icon.
  note->setWindowTitle(QStringLiteral("Scrivel"));
  note->setWindowIcon(QIcon(ResourcePath(128, QStringLiteral("ICON"))));
  SetButtonTips(note,
                {
                    {1000, 148, kTipPenConnected}, {1000, 150, kTipPenNotConnected},
                    {1001, 152, kTipPenModeOne},   {1001, 154, kTipPenModeTwo},
                    {1005, 0, kTipPenWidth},       {1006, 0, kTipPenColour},
                    {1007, 0, kTipEraser},         {1011, 0, kTipAddPicture},
                    {1009, 0, kTipUndo},           {1010, 0, kTipRedo},
                    {1016, 0, kTipShare},          {1021, 0, kTipMinimise},
                    {1019, 0, kTipClose},          {1015, 184, kTipRecord},
                    {1015, 190, kTipStopRecording}, {1018, 192, kTipPause},
                    {1018, 194, kTipResume},       {1003, 0, kTipDeletePage},
                    {1012, 0, kTipPrevPage},       {1013, 0, kTipNextPage},
                    {1008, 0, kTipClearPage},
                },
                FirstKeys(NoteKeys()));
  InstallButtonShortcuts(note, NoteKeys());
  // The page number and the clock only show; Tab passes them by.
  for (QLineEdit* edit : note->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
    edit->setFocusPolicy(Qt::NoFocus);
  FitToScreen(note);
}

}  // namespace scrivel
