#pragma once
// The page "設定３": the capture sound (on or off, the sound list of the ticked
// categories, random play, the sound folder and the download page) and the
// business mode's box, whose effects on the whole window are the window's.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Pictures.h"
#include "app/pages/PageSite.h"
#include "settings/SettingsValues.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::sound {
class MciPlayer;
}

namespace mirulo::app {

class SoundPage {
public:
    explicit SoundPage(PageSite& site);
    ~SoundPage();
    SoundPage(const SoundPage&) = delete;
    SoundPage& operator=(const SoundPage&) = delete;

    // The page's controls, made from its rows of the control table on `page`,
    // with command ids from `firstId`.
    void CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId);
    // The handlers, once the window (the player's parent) exists.
    void Connect();
    // The business-mode box was clicked; what it changes is the whole window's.
    std::function<void()> OnBusinessModeClicked;

    // Loading: each value through its box's handler when it changes what the box shows.
    void ApplySoundEnabled(bool on);
    void ApplySoundChoices(const settings::SettingsValues& values);
    // True when the box changed, so the caller runs the mode's effects.
    bool ApplyBusinessMode(bool on);
    // The list as the settings left it: the ticked categories' sounds, the stored one selected.
    void BuildListAtStart(const std::string& storedSoundName);
    // The page's part of the settings as the next write stores them.
    void Store(settings::SettingsValues& values) const;
    bool SoundSelected() const { return !SelectedSoundPath().empty(); }

    bool BusinessMode() const { return businessModeBox_.Checked(); }
    void ShowIllustration(bool shown) { illustration_.SetVisible(shown); }

    // After a capture that saved a picture: its sound, when the sound box is ticked.
    void PlayAfterCapture();
    // The window is going: the list is forgotten and the player's device closed.
    void Close();

    // The sound files behind the list's entries, in its order.
    const std::vector<std::wstring>& SoundFiles() const { return soundFiles_; }
    sound::MciPlayer* Player() const { return player_.get(); }

private:
    std::array<ui::CheckBox*, 10> CategoryBoxes();
    std::array<const ui::CheckBox*, 10> CategoryBoxes() const;
    std::wstring SelectedSoundPath() const;
    std::wstring DownloadPageAddress();
    void MakeSoundList();
    void PlaySelected();
    void SelectRandomSound();
    void OnSoundCategoryClicked();
    void OnSoundFolderClicked();
    void OnDownloadLinkClicked();

    PageSite& site_;
    std::vector<std::wstring> soundFiles_;
    std::unique_ptr<sound::MciPlayer> player_;

    ui::Label soundHeading_{L"Label18"};
    ui::CheckBox soundBox_{L"chk_Sound"};
    ui::Label downloadLink_{L"lbl_DLC"};
    ui::GroupBox categoryGroup_{L"gb_MP3Folder"};
    ui::CheckBox categoryShutterVoice1s_{L"chkRND01"};
    ui::CheckBox categoryShutterVoice2s_{L"chkRND02"};
    ui::CheckBox categoryShutterVoice3s_{L"chkRND03"};
    ui::CheckBox categoryShutterVoiceLong_{L"chkRND04"};
    ui::CheckBox categoryLine1s_{L"chkRND05"};
    ui::CheckBox categoryLine2s_{L"chkRND06"};
    ui::CheckBox categoryLine3s_{L"chkRND07"};
    ui::CheckBox categoryLineLong_{L"chkRND08"};
    ui::CheckBox categoryFavourites_{L"chkRND09"};
    ui::CheckBox categorySoundEffects_{L"chkRND10"};
    ui::ListBox soundList_{L"lb_Sound"};
    IconButton soundFolderButton_{L"btn_SoundFolder"};
    IconButton refreshSoundsButton_{L"btn_RefreshMP3List"};
    ui::CheckBox randomPlayBox_{L"chkRND"};
    ui::Button playButton_{L"btn_Play"};
    ui::Label businessModeHeading_{L"Label1"};
    ui::CheckBox businessModeBox_{L"cb_IllustNotShow"};
    Picture illustration_{L"img_04"};
};

} // namespace mirulo::app
