#pragma once
// The ids of the language modules' texts beyond the message boxes (10001 to
// 10012): the tooltips of the image buttons, the hint of the empty main
// window, and the share dialog's notice that nothing has been recorded.

namespace scrivel::text {

// Main window.
constexpr int kTipLiveNote = 10013;
constexpr int kTipDownload = 10014;
constexpr int kTipPrevScreen = 10015;
constexpr int kTipNextScreen = 10016;
constexpr int kHintNoPages = 10017;
// Live note window.
constexpr int kTipPenConnected = 10018;
constexpr int kTipPenNotConnected = 10019;
constexpr int kTipPenModeOne = 10020;
constexpr int kTipPenModeTwo = 10021;
constexpr int kTipPenWidth = 10022;
constexpr int kTipPenColour = 10023;
constexpr int kTipEraser = 10024;
constexpr int kTipAddPicture = 10025;
constexpr int kTipUndo = 10026;
constexpr int kTipRedo = 10027;
constexpr int kTipShare = 10028;
constexpr int kTipMinimise = 10029;
constexpr int kTipClose = 10030;
constexpr int kTipRecord = 10031;
constexpr int kTipStopRecording = 10032;
constexpr int kTipPause = 10033;
constexpr int kTipResume = 10034;
constexpr int kTipDeletePage = 10035;
constexpr int kTipPrevPage = 10036;
constexpr int kTipNextPage = 10037;
constexpr int kTipClearPage = 10038;
// Width picker.
constexpr int kTipWidthThin = 10039;
constexpr int kTipWidthMedium = 10040;
constexpr int kTipWidthThick = 10041;
// Share dialog.
constexpr int kTipSavePicture = 10042;
constexpr int kTipMailPicture = 10043;
constexpr int kTipMailPdf = 10044;
constexpr int kTipMailVideo = 10045;
constexpr int kNoRecordingYet = 10046;

// The application reads ids 10001 to this one.
constexpr int kLastAppText = kNoRecordingYet;

}  // namespace scrivel::text
