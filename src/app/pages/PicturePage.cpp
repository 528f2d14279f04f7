// The page "メイン": its controls and their wiring to the window's actions.
#include "app/pages/PicturePage.h"

#include "AssetIds.h"
#include "app/MainWindowTexts.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;
using namespace texts;

constexpr int Page = 0;

} // namespace

PicturePage::PicturePage(PicturePageSite& window) : window_(window) {}

void PicturePage::CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId) {
    table_ = &table;
    const Row rows[] = {
        {banner_, Kind::Picture, Page, 1, 0, 321, 50, L"", nullptr, 0, IDR_IMG_05},
        {pictureList_, Kind::ListBox, Page, 4, 49, 319, 350, L"", kHintPicList, kHandCursor | kNoTabStop, 0},
        {fixedRangeHeading_, Kind::Label, Page, 333, 46, 60, 19, L"固定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {fixedRangeNowButton_, Kind::PushButton, Page, 333, 71, 60, 25, L"今すぐ", kHintShotRect, 0, 0},
        {pickedRangeHeading_, Kind::Label, Page, 333, 103, 60, 19, L"指定範囲", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {pickedRangeNowButton_, Kind::PushButton, Page, 333, 128, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {pickedRangeIn3sButton_, Kind::PushButton, Page, 333, 159, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {pickedRangeIn10sButton_, Kind::PushButton, Page, 333, 190, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {fullScreenHeading_, Kind::Label, Page, 333, 222, 60, 19, L"全画面", nullptr,
         kFont15 | kCentred | kFixedSize, 0},
        {fullScreenNowButton_, Kind::PushButton, Page, 333, 247, 60, 25, L"今すぐ", kHintCaptureNow, 0, 0},
        {fullScreenIn3sButton_, Kind::PushButton, Page, 333, 278, 60, 25, L"3秒後", kHintCapture3, 0, 0},
        {fullScreenIn10sButton_, Kind::PushButton, Page, 333, 309, 60, 25, L"10秒後", kHintCapture10, 0, 0},
        {illustration_, Kind::Picture, Page, 323, 360, 80, 103, L"", nullptr, 0, IDR_IMG_01},
        {openFolderButton_, Kind::IconButton, Page, 4, 400, 39, 31, kNameOpenFolder, kHintOpenFolder, 0,
         IDR_GLYPH_FOLDER},
        {reloadButton_, Kind::IconButton, Page, 44, 400, 39, 31, kNameReload, kHintReLoad, 0,
         IDR_GLYPH_RELOAD},
        {recycleButton_, Kind::IconButton, Page, 84, 400, 39, 31, kNameDust, kHintDust, 0, IDR_GLYPH_DUST},
        {renameButton_, Kind::IconButton, Page, 124, 400, 39, 31, kNameRename, kHintReName, 0,
         IDR_GLYPH_RENAME},
        {clipboardButton_, Kind::IconButton, Page, 164, 400, 39, 31, kNameClipboard, kHintClipboard, 0,
         IDR_GLYPH_CLIPBOARD},
        {viewerButton_, Kind::IconButton, Page, 204, 400, 39, 31, kNameViewer, kHintViewer, 0,
         IDR_GLYPH_VIEWER},
        {editButton_, Kind::IconButton, Page, 244, 400, 39, 31, kNameEdit, kHintEdit, 0, IDR_GLYPH_EDITOR},
        {title_, Kind::Picture, Page, 2, 429, 200, 34, L"", nullptr, 0, IDR_IMG_TITLE1},
        {businessTitle_, Kind::Picture, Page, 3, 428, 200, 34, L"", nullptr, kHidden, IDR_IMG_TITLE2},
        {versionLabel_, Kind::Label, Page, 209, 441, 55, 17, L"", nullptr, 0, 0},
        {statusBar_, Kind::StatusBar, Page, 2, 464, 401, 19, L"", nullptr, 0, 0},
    };
    const ui::ControlContainer containers[] = {{page, {0, 0}}};
    table.Create(rows, containers, dpi, firstId);
    statusBar_.SetupSinglePanel();
}

void PicturePage::Connect() {
    fixedRangeNowButton_.OnClick = [this] { window_.CaptureFixedRangeNow(); };
    pickedRangeNowButton_.OnClick = [this] { window_.CapturePickedRange(0); };
    pickedRangeIn3sButton_.OnClick = [this] { window_.CapturePickedRange(3000); };
    pickedRangeIn10sButton_.OnClick = [this] { window_.CapturePickedRange(10000); };
    fullScreenNowButton_.OnClick = [this] { window_.CaptureFullScreen(0); };
    fullScreenIn3sButton_.OnClick = [this] { window_.CaptureFullScreen(3000); };
    fullScreenIn10sButton_.OnClick = [this] { window_.CaptureFullScreen(10000); };
    openFolderButton_.OnClick = [this] { window_.OpenSaveFolder(); };
    reloadButton_.OnClick = [this] { window_.ReloadPictures(); };
    // The recycle-bin button acts on the press, not the click: a left press
    // moves the selected picture to the bin, a right press opens the bin.
    recycleButton_.OnMouseDown = [this](UINT message) { window_.RecycleButtonPressed(message); };
    renameButton_.OnClick = [this] { window_.RenameClicked(); };
    clipboardButton_.OnClick = [this] { window_.CopyToClipboardClicked(); };
    viewerButton_.OnClick = [this] { window_.ViewerClicked(); };
    editButton_.OnClick = [this] { window_.EditClicked(); };
    pictureList_.OnClick = [this] { window_.PictureListClicked(); };
    pictureList_.OnDblClick = [this] { window_.PictureListDoubleClicked(); };
    pictureList_.OnMouseDown = [this](UINT message) { window_.PictureListPressed(message); };
}

void PicturePage::ShowBusinessMode(bool on) {
    banner_.SetVisible(!on);
    title_.SetVisible(!on);
    businessTitle_.SetVisible(on);
    const int top = on ? 4 : 49;
    const int height = on ? 395 : 350;
    table_->MoveAt96(pictureList_, RECT{4, top, 4 + 319, top + height});
}

void PicturePage::ArrangeOnShow() {
    illustration_.BringToFront();
    pictureList_.SendToBack();
}

} // namespace mirulo::app
