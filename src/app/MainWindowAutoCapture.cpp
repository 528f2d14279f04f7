// The auto-capture: the timer's tick, the hidden unit switch on "単位切替", and
// switching the whole feature off when a tick finds nothing to capture.
#include <windows.h>

#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "capture/AutoCapturePeriod.h"

namespace mirulo::app {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

} // namespace

void Tfm_Mirulo::Timer1Timer() {
    const bool rangeSet = capture::IsFixedRangeSet(iCapLeft, iCapTop, iCapWidth, iCapHeight);
    switch (capture::DecideTick(IsSaveFolderUsable(), rangeSet)) {
    case capture::TickAction::Capture:
        StartCapture(capture::kFixedByTimer);
        return;
    case capture::TickAction::ReportNoFolder:
        // Stopped before the message: while the box waits for someone to answer
        // it, further ticks would each open a box of their own inside it, and a
        // user back after an hour would find thousands of nested boxes.
        Timer1.SetEnabled(false);
        ShowNotice(texts::kCaptureNoSaveFolder);
        break;
    case capture::TickAction::ReportNoRange:
        Timer1.SetEnabled(false);
        ShowNotice(texts::kCaptureNoFixedRange);
        break;
    }
    SwitchAutoCaptureOff();
}

void Tfm_Mirulo::lbl_TimerMouseDown(UINT message) {
    // Shift is read as it is at this moment, not as the press's message saw it.
    if (message != WM_RBUTTONDOWN || (::GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0) {
        return;
    }
    blTimerSecMode = !blTimerSecMode;
    if (blTimerSecMode) {
        lbl_Timer.SetCaption(texts::kPerSeconds);
        lbl_Timer.SetTextColor(kRed);
        ShowNotice(texts::kTimerSecondsNotice);
    } else {
        lbl_Timer.SetCaption(texts::kPerMinutes);
        lbl_Timer.SetTextColor(CLR_INVALID);
        ShowNotice(texts::kTimerMinutesNotice);
    }
    cb_TimerChange();
}

void Tfm_Mirulo::ConnectAutoCapture() {
    Timer1.OnTimer = [this] { Timer1Timer(); };
    lbl_TimerMinSec.OnMouseDown = [this](UINT message) { lbl_TimerMouseDown(message); };
}

} // namespace mirulo::app
