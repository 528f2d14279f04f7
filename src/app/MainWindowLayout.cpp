// The main window's controls: each page makes its own from its rows, in the
// order of the tabs; the window's own rows are the buttons on the tab strip.
// Places are at 96 DPI within the parent; the window scales them by its DPI.
#include <windows.h>
#include <commctrl.h>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "ui/ControlTable.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;

// Where a control sits: on the tab strip, the one container given to the table below.
enum Parent : int { Pager };

constexpr int kFirstControlId = 1000;

using namespace texts;

} // namespace

void MainWindow::CreateControls() {
    const Row tabStripRows[] = {
        {minimizeButton_, Kind::IconButton, Parent::Pager, 361, 1, 21, 22, kNameMinimize, kHintMinimize, 0,
         IDR_GLYPH_MINIMIZE},
        {closeButton_, Kind::IconButton, Parent::Pager, 383, 1, 21, 22, kNameClose, kHintClose, 0,
         IDR_GLYPH_CLOSE},
    };

    // Command ids run on from page to page, in the order the controls are made.
    const auto nextId = [this] {
        return kFirstControlId + static_cast<int>(controlTable_.Controls().size());
    };
    picturePage_->CreateControls(controlTable_, tabs_.Page(0).hwnd(), dpi(), nextId());
    savingAndStartupPage_->CreateControls(controlTable_, tabs_.Page(1).hwnd(), dpi(), nextId());
    captureTriggersPage_->CreateControls(controlTable_, tabs_.Page(2).hwnd(), dpi(), nextId());
    soundPage_->CreateControls(controlTable_, tabs_.Page(3).hwnd(), dpi(), nextId());

    const ui::ControlContainer containers[] = {{tabs_.hwnd(), {0, 0}}};
    controlTable_.Create(tabStripRows, containers, dpi(), nextId());
    controls_ = controlTable_.Controls();
}

} // namespace mirulo::app
