// The main window's controls: each page makes its own from its rows, in the
// order of the tabs, then the buttons on the tab strip theirs.
// Places are at 96 DPI within the parent; the window scales them by its DPI.
#include <windows.h>
#include <commctrl.h>

#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "app/pages/TabStripButtons.h"
#include "ui/ControlTable.h"

namespace mirulo::app {
namespace {

constexpr int kFirstControlId = 1000;

} // namespace

void MainWindow::CreateControls() {
    // Command ids run on from page to page, in the order the controls are made.
    const auto nextId = [this] {
        return kFirstControlId + static_cast<int>(controlTable_.Controls().size());
    };
    picturePage_->CreateControls(controlTable_, tabs_.Page(0).hwnd(), dpi(), nextId());
    savingAndStartupPage_->CreateControls(controlTable_, tabs_.Page(1).hwnd(), dpi(), nextId());
    captureTriggersPage_->CreateControls(controlTable_, tabs_.Page(2).hwnd(), dpi(), nextId());
    soundPage_->CreateControls(controlTable_, tabs_.Page(3).hwnd(), dpi(), nextId());

    tabStripButtons_->CreateControls(controlTable_, tabs_.hwnd(), dpi(), nextId());
    controls_ = controlTable_.Controls();
}

} // namespace mirulo::app
