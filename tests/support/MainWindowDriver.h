#pragma once
// The main window as a test drives it: its controls by what they are, found by
// their design names through the window's FindControl, and the few states of
// its features a test looks at. Tests name no field of the window; when a
// control moves or a field is renamed, this file follows and the tests stay.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/Pictures.h"
#include "app/MainWindow.h"
#include "capture/CaptureKind.h"
#include "ui/Control.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"

namespace mirulo::sound {
class MciPlayer;
}
namespace mirulo::viewer {
class ViewerWindow;
}
namespace mirulo::library {
class RenameDialog;
}

namespace mirulo::testkit {

class MainWindowDriver {
public:
    explicit MainWindowDriver(app::MainWindow& window) : window_(window) {}

    app::MainWindow& window() const { return window_; }

    // --- Controls ------------------------------------------------------------
    // The picture page "メイン".
    app::Picture& Banner() const { return Find<app::Picture>(L"img_05", "the banner picture"); }
    ui::ListBox& PictureList() const { return Find<ui::ListBox>(L"lb_PicList", "the picture list"); }
    ui::Label& FixedRangeHeading() const { return Find<ui::Label>(L"Label9", "the fixed-range heading"); }
    ui::Button& FixedRangeNowButton() const {
        return Find<ui::Button>(L"btn_ShotRect", "the fixed-range capture button");
    }
    ui::Label& PickedRangeHeading() const { return Find<ui::Label>(L"Label14", "the picked-range heading"); }
    ui::Button& PickedRangeNowButton() const {
        return Find<ui::Button>(L"btn_Capture", "the picked-range capture button");
    }
    ui::Button& PickedRangeIn3sButton() const {
        return Find<ui::Button>(L"btn_Capture3", "the picked-range 3-second button");
    }
    ui::Button& PickedRangeIn10sButton() const {
        return Find<ui::Button>(L"btn_Capture10", "the picked-range 10-second button");
    }
    ui::Label& FullScreenHeading() const { return Find<ui::Label>(L"Label20", "the full-screen heading"); }
    ui::Button& FullScreenNowButton() const {
        return Find<ui::Button>(L"btn_3Capture", "the full-screen capture button");
    }
    ui::Button& FullScreenIn3sButton() const {
        return Find<ui::Button>(L"btn_3Capture3", "the full-screen 3-second button");
    }
    ui::Button& FullScreenIn10sButton() const {
        return Find<ui::Button>(L"btn_3Capture10", "the full-screen 10-second button");
    }
    app::Picture& MainPageIllustration() const {
        return Find<app::Picture>(L"img_01", "the main page's illustration");
    }
    app::IconButton& OpenFolderButton() const {
        return Find<app::IconButton>(L"btn_OpenFolder", "the open-folder button");
    }
    app::IconButton& ReloadButton() const {
        return Find<app::IconButton>(L"btn_ReLoad", "the reload button");
    }
    app::IconButton& RecycleButton() const {
        return Find<app::IconButton>(L"btn_Dust", "the recycle-bin button");
    }
    app::IconButton& RenameButton() const {
        return Find<app::IconButton>(L"btn_ReName", "the rename button");
    }
    app::IconButton& ClipboardButton() const {
        return Find<app::IconButton>(L"btn_Clipboard", "the clipboard button");
    }
    app::IconButton& ViewerButton() const {
        return Find<app::IconButton>(L"btn_Viewer", "the viewer button");
    }
    app::IconButton& EditButton() const { return Find<app::IconButton>(L"btn_Edit", "the edit button"); }
    app::Picture& Title() const { return Find<app::Picture>(L"img_Title1", "the title picture"); }
    app::Picture& BusinessTitle() const {
        return Find<app::Picture>(L"img_Title2", "the business-mode title picture");
    }
    ui::Label& VersionLabel() const { return Find<ui::Label>(L"lvl_Ver", "the version label"); }
    ui::StatusBar& StatusBar() const { return Find<ui::StatusBar>(L"StatusBar1", "the status bar"); }

    // The first settings page: where pictures go, their format, the editor, the start.
    ui::Label& SaveFolderHeading() const { return Find<ui::Label>(L"Label8", "the save-folder heading"); }
    app::IconButton& SaveFolderButton() const {
        return Find<app::IconButton>(L"btn_SaveFolder", "the save-folder button");
    }
    ui::Label& SaveFolderLabel() const { return Find<ui::Label>(L"lbl_SaveFolder", "the save-folder label"); }
    ui::Label& SizeCapHeading() const { return Find<ui::Label>(L"Label15", "the size-cap heading"); }
    ui::CheckBox& SizeCapBox() const { return Find<ui::CheckBox>(L"chk_Capa", "the size-cap box"); }
    ui::Edit& SizeCapField() const { return Find<ui::Edit>(L"edt_Capa", "the size-cap field"); }
    ui::Label& SizeCapUnitLabel() const { return Find<ui::Label>(L"Label17", "the size-cap unit label"); }
    ui::Label& FormatHeading() const { return Find<ui::Label>(L"Label13", "the format heading"); }
    ui::ComboBox& FormatList() const { return Find<ui::ComboBox>(L"cb_PNGorJPG", "the format list"); }
    ui::Label& EditorHeading() const { return Find<ui::Label>(L"Label16", "the editor heading"); }
    ui::GroupBox& EditorGroup() const { return Find<ui::GroupBox>(L"gb_Editor", "the editor group box"); }
    ui::RadioButton& PaintEditorRadio() const {
        return Find<ui::RadioButton>(L"rd_GrEdit1", "the Paint editor radio button");
    }
    ui::RadioButton& OwnEditorRadio() const {
        return Find<ui::RadioButton>(L"rd_GrEdit2", "the own-editor radio button");
    }
    app::IconButton& EditorButton() const {
        return Find<app::IconButton>(L"btn_Editor", "the editor button");
    }
    ui::Label& EditorLabel() const { return Find<ui::Label>(L"lbl_Editor", "the editor label"); }
    ui::Label& StartupHeading() const { return Find<ui::Label>(L"Label6", "the start-up heading"); }
    ui::CheckBox& StartAtLogonBox() const {
        return Find<ui::CheckBox>(L"cb_AutoStart", "the start-at-logon box");
    }
    ui::CheckBox& StartMinimisedBox() const {
        return Find<ui::CheckBox>(L"chk_Minimized", "the start-minimised box");
    }
    ui::CheckBox& TrayIconBox() const { return Find<ui::CheckBox>(L"chk_TrayIcon", "the tray-icon box"); }
    ui::CheckBox& GameClientAtStartBox() const {
        return Find<ui::CheckBox>(L"chk_ExecUO", "the game-client-at-start box");
    }
    ui::Button& GameClientButton() const { return Find<ui::Button>(L"btn_ExecUO", "the game-client button"); }
    ui::Label& GameClientLabel() const { return Find<ui::Label>(L"lbl_ExecUO", "the game-client label"); }
    app::Picture& Settings1Illustration() const {
        return Find<app::Picture>(L"img_02", "the first settings page's illustration");
    }

    // The second settings page: the ranges' hot keys and the auto-capture.
    ui::Label& FixedRangeKeyHeading() const {
        return Find<ui::Label>(L"Label2", "the fixed-range key heading");
    }
    ui::Button& SetFixedRangeButton() const {
        return Find<ui::Button>(L"btn_SetRect", "the set-fixed-range button");
    }
    ui::Label& FixedRangeLabel() const { return Find<ui::Label>(L"lbl_XYWH", "the fixed-range label"); }
    ui::ComboBox& FixedRangeModifierList() const {
        return Find<ui::ComboBox>(L"cb_KeyAdd1", "the fixed-range modifier list");
    }
    ui::ComboBox& FixedRangeKeyList() const {
        return Find<ui::ComboBox>(L"cb_Key1", "the fixed-range key list");
    }
    ui::CheckBox& FixedRangeToClipboardBox() const {
        return Find<ui::CheckBox>(L"cb_Key1_ToClipboard", "the fixed-range clipboard box");
    }
    ui::CheckBox& AutoCaptureBox() const { return Find<ui::CheckBox>(L"chk_Timer", "the auto-capture box"); }
    ui::ComboBox& AutoCapturePeriodList() const {
        return Find<ui::ComboBox>(L"cb_Timer", "the auto-capture period list");
    }
    ui::Label& AutoCaptureUnitLabel() const {
        return Find<ui::Label>(L"lbl_Timer", "the auto-capture unit label");
    }
    ui::Label& AutoCaptureUnitSwitch() const {
        return Find<ui::Label>(L"lbl_TimerMinSec", "the auto-capture unit switch");
    }
    ui::Label& PickedRangeKeyHeading() const {
        return Find<ui::Label>(L"Label10", "the picked-range key heading");
    }
    ui::ComboBox& PickedRangeModifierList() const {
        return Find<ui::ComboBox>(L"cb_KeyAdd2", "the picked-range modifier list");
    }
    ui::ComboBox& PickedRangeKeyList() const {
        return Find<ui::ComboBox>(L"cb_Key2", "the picked-range key list");
    }
    ui::CheckBox& PickedRangeToClipboardBox() const {
        return Find<ui::CheckBox>(L"cb_Key2_ToClipboard", "the picked-range clipboard box");
    }
    ui::Label& FullScreenKeyHeading() const {
        return Find<ui::Label>(L"Label19", "the full-screen key heading");
    }
    ui::ComboBox& FullScreenModifierList() const {
        return Find<ui::ComboBox>(L"cb_KeyAdd3", "the full-screen modifier list");
    }
    ui::ComboBox& FullScreenKeyList() const {
        return Find<ui::ComboBox>(L"cb_Key3", "the full-screen key list");
    }
    ui::CheckBox& FullScreenToClipboardBox() const {
        return Find<ui::CheckBox>(L"cb_Key3_ToClipboard", "the full-screen clipboard box");
    }
    app::Picture& Settings2Illustration() const {
        return Find<app::Picture>(L"img_03", "the second settings page's illustration");
    }

    // The third settings page: the capture sound and the business mode.
    ui::Label& SoundHeading() const { return Find<ui::Label>(L"Label18", "the sound heading"); }
    ui::CheckBox& SoundBox() const { return Find<ui::CheckBox>(L"chk_Sound", "the capture-sound box"); }
    ui::Label& DownloadLink() const { return Find<ui::Label>(L"lbl_DLC", "the sound download link"); }
    ui::GroupBox& SoundCategoryGroup() const {
        return Find<ui::GroupBox>(L"gb_MP3Folder", "the sound category group box");
    }
    ui::CheckBox& CategoryShutterVoice1s() const {
        return Find<ui::CheckBox>(L"chkRND01", "the category box shutter voices 1 s");
    }
    ui::CheckBox& CategoryShutterVoice2s() const {
        return Find<ui::CheckBox>(L"chkRND02", "the category box shutter voices 2 s");
    }
    ui::CheckBox& CategoryShutterVoice3s() const {
        return Find<ui::CheckBox>(L"chkRND03", "the category box shutter voices 3 s");
    }
    ui::CheckBox& CategoryShutterVoiceLong() const {
        return Find<ui::CheckBox>(L"chkRND04", "the category box shutter voices long");
    }
    ui::CheckBox& CategoryLine1s() const {
        return Find<ui::CheckBox>(L"chkRND05", "the category box lines 1 s");
    }
    ui::CheckBox& CategoryLine2s() const {
        return Find<ui::CheckBox>(L"chkRND06", "the category box lines 2 s");
    }
    ui::CheckBox& CategoryLine3s() const {
        return Find<ui::CheckBox>(L"chkRND07", "the category box lines 3 s");
    }
    ui::CheckBox& CategoryLineLong() const {
        return Find<ui::CheckBox>(L"chkRND08", "the category box lines long");
    }
    ui::CheckBox& CategoryFavourites() const {
        return Find<ui::CheckBox>(L"chkRND09", "the category box favourites");
    }
    ui::CheckBox& CategorySoundEffects() const {
        return Find<ui::CheckBox>(L"chkRND10", "the category box sound effects");
    }
    ui::ListBox& SoundList() const { return Find<ui::ListBox>(L"lb_Sound", "the sound list"); }
    app::IconButton& SoundFolderButton() const {
        return Find<app::IconButton>(L"btn_SoundFolder", "the sound-folder button");
    }
    app::IconButton& RefreshSoundsButton() const {
        return Find<app::IconButton>(L"btn_RefreshMP3List", "the refresh-sounds button");
    }
    ui::CheckBox& RandomPlayBox() const { return Find<ui::CheckBox>(L"chkRND", "the random-play box"); }
    ui::Button& PlayButton() const { return Find<ui::Button>(L"btn_Play", "the play button"); }
    ui::Label& BusinessModeHeading() const { return Find<ui::Label>(L"Label1", "the business-mode heading"); }
    ui::CheckBox& BusinessModeBox() const {
        return Find<ui::CheckBox>(L"cb_IllustNotShow", "the business-mode box");
    }
    app::Picture& Settings3Illustration() const {
        return Find<app::Picture>(L"img_04", "the third settings page's illustration");
    }

    // On the tab strip.
    app::IconButton& MinimizeButton() const {
        return Find<app::IconButton>(L"btn_Minimized", "the minimise button");
    }
    app::IconButton& CloseButton() const { return Find<app::IconButton>(L"btn_Close", "the close button"); }

    // The status bar's text, as shown.
    std::wstring StatusText() const { return StatusBar().Text(); }

    // --- The features' state, as tests look at it ----------------------------
    // The sound files behind the sound list's entries, in its order.
    const std::vector<std::wstring>& SoundFiles() const;
    sound::MciPlayer* SoundPlayer() const;
    // A capture sound is due once the capture is saved.
    bool SoundDue() const;
    ui::Timer& AutoCaptureTimer() const;
    // The delay (ms) the next picked-range capture waits before it shoots.
    std::int32_t& CaptureDelay() const;
    // The two-character code of the capture under way.
    std::wstring& CaptureCode() const;
    // The id a range's hot key is registered under (1 fixed, 2 picked, 3 full screen).
    std::int32_t HotKeyId(int range) const;
    // The construction is still applying the loaded settings.
    bool Constructing() const;
    std::int64_t PicturesTotalSize() const;
    const std::wstring& RenamedFrom() const;
    const std::wstring& RenamedTo() const;
    const std::wstring& NormalCaption() const;
    const std::wstring& BusinessCaption() const;
    LONG_PTR ExtendedStyleAtStart() const;
    ui::TrayIcon* TrayIcon() const;
    viewer::ViewerWindow* Viewer() const;
    library::RenameDialog* RenameDialog() const;

    // --- Handlers run as the program runs them --------------------------------
    void StartCapture(capture::CaptureKind kind) const;
    void WriteSettings() const;
    void CountPictures() const;
    void MoveOldestToRecycleBinWhileOverCap() const;
    void CreateViewer() const;
    void CreateRenameDialog() const;
    void SetStatusText(const std::wstring& text) const;
    bool CopyPictureToClipboard(const std::wstring& path, const app::MainWindow::StatusSink& setStatus) const;
    // An entry of a drop-down list chosen as the user does: selected, and the
    // selection change announced to the list's page.
    static void Choose(ui::ComboBox& list, int index);

private:
    // The control of this design name, of this kind; a test that asks for one
    // the window does not have stops with the name and what it was to be.
    template <class Kind> Kind& Find(std::wstring_view name, const char* role) const {
        ui::Control* control = window_.FindControl(name);
        Kind* kind = dynamic_cast<Kind*>(control);
        if (kind == nullptr) {
            Missing(name, role, control != nullptr);
        }
        return *kind;
    }
    [[noreturn]] static void Missing(std::wstring_view name, const char* role, bool otherKind);

    app::MainWindow& window_;
};

} // namespace mirulo::testkit
