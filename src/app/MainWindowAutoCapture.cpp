// The auto-capture: the timer's tick, and switching the whole feature off when
// a tick finds nothing to capture (the page "設定２" holds its box and period).
#include <windows.h>

#include <string>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/CaptureTriggersPage.h"
#include "capture/AutoCapturePeriod.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
void MainWindow::OnAutoCaptureTick() {
    const bool rangeSet = capture::IsFixedRangeSet(model_.fixedRange.left, model_.fixedRange.top,
                                                   model_.fixedRange.width, model_.fixedRange.height);
    switch (capture::DecideTick(IsSaveFolderUsable(), rangeSet)) {
    case capture::TickAction::Capture:
        CaptureOnTick();
        return;
    case capture::TickAction::ReportNoFolder:
        // Stopped before the message: while the box waits for someone to answer
        // it, further ticks would each open a box of their own inside it, and a
        // user back after an hour would find thousands of nested boxes.
        autoCaptureTimer_.SetEnabled(false);
        ShowNotice(texts::kCaptureNoSaveFolder);
        break;
    case capture::TickAction::ReportNoRange:
        autoCaptureTimer_.SetEnabled(false);
        ShowNotice(texts::kCaptureNoFixedRange);
        break;
    }
    SwitchAutoCaptureOff();
}

void MainWindow::CaptureOnTick() {
    // A tick may come while another capture waits in the range picker: that
    // capture's code is put back afterwards, or the picked picture would be
    // saved under the tick's code.
    const bool inAnotherCapture = capturesRunning_ > 0;
    const std::wstring codeInUse = captureCode_;
    const auto putCodeBack = [&] {
        if (inAnotherCapture) {
            captureCode_ = codeInUse;
        }
    };
    try {
        StartCapture(capture::kFixedByTimer);
    } catch (...) {
        putCodeBack();
        // A disk that stays full fails every tick. The first failure of the
        // streak is told once; the timer waits while its box is open, since each
        // tick would open a box inside the last, and goes on once it is answered.
        // A box of another capture already open takes no second one on top.
        if (tickFailureReported_ || captureBoxOpen_) {
            return;
        }
        tickFailureReported_ = true;
        autoCaptureTimer_.SetEnabled(false);
        captureBoxOpen_ = true;
        ui::ReportCurrentException(host(), hwnd());
        captureBoxOpen_ = false;
        if (::IsWindow(hwnd()) && captureTriggersPage_->AutoCaptureOn()) {
            autoCaptureTimer_.SetEnabled(true);
        }
        return;
    }
    putCodeBack();
    tickFailureReported_ = false;
}

void MainWindow::ConnectAutoCapture() {
    autoCaptureTimer_.OnTimer = [this] { OnAutoCaptureTick(); };
}

} // namespace mirulo::app
