// The main window's controls, one row each: what a user sees on its pages and on
// the tab strip; the settings pages make their own.
// Places are at 96 DPI within the parent; the window scales them by its DPI.
#include <windows.h>
#include <commctrl.h>

#include <span>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
#include "ui/ControlTable.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;

// Where a control sits: on the page "メイン" or on the tab strip. The order is
// that of the containers given to the table below.
enum Parent : int { Page0, Pager };

// Command ids of the controls, in the order they are made.
constexpr int kFirstControlId = 1000;

using namespace texts;

} // namespace

void Tfm_Mirulo::CreateControls() {
    const Row rows[] = {
        // Page 0 "メイン"
        {bannerPicture, Kind::Picture, Parent::Page0, 1, 0, 321, 50, L"", nullptr, 0, IDR_IMG_05},
        {lb_PicList, Kind::ListBox, Parent::Page0, 4, 49, 319, 350, L"", kHintPicList,
         kHandCursor | kNoTabStop, 0},
        {fixedRangeHeading, Kind::Label, Parent::Page0, 333, 46, 60, 19, L"固定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_ShotRect, Kind::PushButton, Parent::Page0, 333, 71, 60, 25, L"今すぐ", kHintShotRect, 0, 0},
        {pickedRangeHeading, Kind::Label, Parent::Page0, 333, 103, 60, 19, L"指定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_Capture, Kind::PushButton, Parent::Page0, 333, 128, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {btn_Capture3, Kind::PushButton, Parent::Page0, 333, 159, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {btn_Capture10, Kind::PushButton, Parent::Page0, 333, 190, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {fullScreenHeading, Kind::Label, Parent::Page0, 333, 222, 60, 19, L"全画面", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {btn_3Capture, Kind::PushButton, Parent::Page0, 333, 247, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {btn_3Capture3, Kind::PushButton, Parent::Page0, 333, 278, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {btn_3Capture10, Kind::PushButton, Parent::Page0, 333, 309, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {mainPageIllustration, Kind::Picture, Parent::Page0, 323, 360, 80, 103, L"", nullptr, 0, IDR_IMG_01},
        {btn_OpenFolder, Kind::IconButton, Parent::Page0, 4, 400, 39, 31, kNameOpenFolder, kHintOpenFolder, 0,
         IDR_GLYPH_FOLDER},
        {btn_ReLoad, Kind::IconButton, Parent::Page0, 44, 400, 39, 31, kNameReload, kHintReLoad, 0,
         IDR_GLYPH_RELOAD},
        {btn_Dust, Kind::IconButton, Parent::Page0, 84, 400, 39, 31, kNameDust, kHintDust, 0, IDR_GLYPH_DUST},
        {btn_ReName, Kind::IconButton, Parent::Page0, 124, 400, 39, 31, kNameRename, kHintReName, 0,
         IDR_GLYPH_RENAME},
        {btn_Clipboard, Kind::IconButton, Parent::Page0, 164, 400, 39, 31, kNameClipboard, kHintClipboard, 0,
         IDR_GLYPH_CLIPBOARD},
        {btn_Viewer, Kind::IconButton, Parent::Page0, 204, 400, 39, 31, kNameViewer, kHintViewer, 0,
         IDR_GLYPH_VIEWER},
        {btn_Edit, Kind::IconButton, Parent::Page0, 244, 400, 39, 31, kNameEdit, kHintEdit, 0,
         IDR_GLYPH_EDITOR},
        {img_Title1, Kind::Picture, Parent::Page0, 2, 429, 200, 34, L"", nullptr, 0, IDR_IMG_TITLE1},
        {img_Title2, Kind::Picture, Parent::Page0, 3, 428, 200, 34, L"", nullptr, kHidden, IDR_IMG_TITLE2},
        {versionLabel, Kind::Label, Parent::Page0, 209, 441, 55, 17, L"", nullptr, 0, 0},
        {statusBar, Kind::StatusBar, Parent::Page0, 2, 464, 401, 19, L"", nullptr, 0, 0},

    };

    const Row tabStripRows[] = {
        {btn_Minimized, Kind::IconButton, Parent::Pager, 361, 1, 21, 22, kNameMinimize, kHintMinimize, 0,
         IDR_GLYPH_MINIMIZE},
        {btn_Close, Kind::IconButton, Parent::Pager, 383, 1, 21, 22, kNameClose, kHintClose, 0,
         IDR_GLYPH_CLOSE},
    };

    const ui::ControlContainer containers[] = {
        {tabs.Page(0).hwnd(), {0, 0}},
        {tabs.hwnd(), {0, 0}},
    };
    const auto create = [&](std::span<const Row> made) {
        controlTable_.Create(made, containers, dpi(),
                             kFirstControlId + static_cast<int>(controlTable_.Controls().size()));
        for (const Row& row : made) {
            if (row.hint != nullptr) {
                designHints_.emplace_back(&row.control, row.hint);
            }
        }
    };
    create(rows);
    savingAndStartupPage_->CreateControls(controlTable_, tabs.Page(1).hwnd(), dpi(),
                                          kFirstControlId + static_cast<int>(controlTable_.Controls().size()),
                                          designHints_);
    captureTriggersPage_->CreateControls(controlTable_, tabs.Page(2).hwnd(), dpi(),
                                         kFirstControlId + static_cast<int>(controlTable_.Controls().size()),
                                         designHints_);
    soundPage_->CreateControls(controlTable_, tabs.Page(3).hwnd(), dpi(),
                               kFirstControlId + static_cast<int>(controlTable_.Controls().size()),
                               designHints_);
    create(tabStripRows);
    controls_ = controlTable_.Controls();

    statusBar.SetupSinglePanel();
}

} // namespace mirulo::app
