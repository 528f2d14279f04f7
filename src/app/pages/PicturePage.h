#pragma once
// The page "メイン": the list of the save folder's pictures with the status bar
// below it, the capture buttons of the three ranges, and the buttons of the
// actions on the selected picture. What the buttons do is the window's: the
// captures, the viewer, the rename dialog and the recycle bin are its glue.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/Pictures.h"
#include "app/pages/PageSite.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

class PicturePage {
public:
    explicit PicturePage(PicturePageSite& window);
    PicturePage(const PicturePage&) = delete;
    PicturePage& operator=(const PicturePage&) = delete;

    // The page's controls, made from its rows of the control table on `page`,
    // with command ids from `firstId`.
    void CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId);
    void Connect();

    // The list of the save folder's pictures, newest on top; the viewer and the
    // actions on a picture work on it.
    ui::ListBox& PictureList() { return pictureList_; }
    const ui::ListBox& PictureList() const { return pictureList_; }
    void SetStatusText(const std::wstring& text) { statusBar_.SetText(text); }
    void ShowVersion(const wchar_t* version) { versionLabel_.SetCaption(version); }
    std::wstring Version() const { return versionLabel_.Caption(); }

    void ShowIllustration(bool shown) { illustration_.SetVisible(shown); }
    // The business mode's look of the page: no banner, the grey title, and the
    // list grown over the banner's place (its bottom stays put).
    void ShowBusinessMode(bool on);
    // When the window shows: the illustration above the list it overlaps.
    void ArrangeOnShow();

private:
    PicturePageSite& window_;
    ui::ControlTable* table_ = nullptr;

    Picture banner_{L"img_05"};
    ui::ListBox pictureList_{L"lb_PicList"};
    ui::Label fixedRangeHeading_{L"Label9"};
    ui::Button fixedRangeNowButton_{L"btn_ShotRect"};
    ui::Label pickedRangeHeading_{L"Label14"};
    ui::Button pickedRangeNowButton_{L"btn_Capture"};
    ui::Button pickedRangeIn3sButton_{L"btn_Capture3"};
    ui::Button pickedRangeIn10sButton_{L"btn_Capture10"};
    ui::Label fullScreenHeading_{L"Label20"};
    ui::Button fullScreenNowButton_{L"btn_3Capture"};
    ui::Button fullScreenIn3sButton_{L"btn_3Capture3"};
    ui::Button fullScreenIn10sButton_{L"btn_3Capture10"};
    Picture illustration_{L"img_01"};
    IconButton openFolderButton_{L"btn_OpenFolder"};
    IconButton reloadButton_{L"btn_ReLoad"};
    IconButton recycleButton_{L"btn_Dust"};
    IconButton renameButton_{L"btn_ReName"};
    IconButton clipboardButton_{L"btn_Clipboard"};
    IconButton viewerButton_{L"btn_Viewer"};
    IconButton editButton_{L"btn_Edit"};
    Picture title_{L"img_Title1"};
    Picture businessTitle_{L"img_Title2"};
    ui::Label versionLabel_{L"lvl_Ver"};
    ui::StatusBar statusBar_{L"StatusBar1"};
};

} // namespace mirulo::app
