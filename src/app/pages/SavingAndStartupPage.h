#pragma once
// The page "設定１": where and how pictures are saved (the save folder, the size
// cap, the format), the picture editor, and how the program starts (at logon,
// minimised, in the notification area, with the game client).
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/Pictures.h"
#include "app/pages/PageSite.h"
#include "settings/SettingsValues.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

class SavingAndStartupPage {
public:
    SavingAndStartupPage(PageSite& site, SavingAndStartupSite& window);
    SavingAndStartupPage(const SavingAndStartupPage&) = delete;
    SavingAndStartupPage& operator=(const SavingAndStartupPage&) = delete;

    // The page's controls, made from its rows of the control table on `page`,
    // with command ids from `firstId`.
    void CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId);
    void FillLists();
    void Connect();

    // Loading, in the window's order of effects.
    void ApplyFormat(std::int32_t stored);
    void ApplySizeCap(const settings::SettingsValues& values);
    void ApplyEditor(const settings::SettingsValues& values);
    void ApplyGameClient(bool startWithProgram);
    void ApplyTrayIcon(bool on);
    void ApplyStartMinimised(bool on);
    // The page's part of the settings as the next write stores them.
    void Store(settings::SettingsValues& values) const;

    void ShowSaveFolder(const std::wstring& folder) { saveFolderLabel_.SetCaption(folder); }
    int FormatIndex() const { return formatList_.ItemIndex(); }
    bool SizeCapOn() const { return sizeCapBox_.Checked(); }
    std::wstring SizeCapText() const { return sizeCapField_.Caption(); }
    bool PaintChosen() const { return paintEditorRadio_.Checked(); }
    bool StartAtLogon() const { return startAtLogonBox_.Checked(); }
    void ShowStartAtLogon(bool on) { startAtLogonBox_.SetChecked(on); }
    bool StartMinimised() const { return startMinimisedBox_.Checked(); }
    bool TrayIconWanted() const { return trayIconBox_.Checked(); }
    bool StartGameClient() const { return gameClientAtStartBox_.Checked(); }
    void ShowIllustration(bool shown) { illustration_.SetVisible(shown); }
    void BringIllustrationToFront() { illustration_.BringToFront(); }

private:
    void OnSizeCapClicked();
    void NormaliseSizeCapText();
    void OnEditorChoiceClicked();
    void OnEditorButtonClicked();
    void OnGameClientBoxClicked();
    void OnGameClientButtonClicked();
    void ShowGameClient();

    PageSite& site_;
    SavingAndStartupSite& window_;
    std::vector<ui::RadioButton*> editorRadioGroup_;

    ui::Label saveFolderHeading_{L"Label8"};
    IconButton saveFolderButton_{L"btn_SaveFolder"};
    ui::Label saveFolderLabel_{L"lbl_SaveFolder"};
    ui::Label sizeCapHeading_{L"Label15"};
    ui::CheckBox sizeCapBox_{L"chk_Capa"};
    ui::Edit sizeCapField_{L"edt_Capa"};
    ui::Label sizeCapUnitLabel_{L"Label17"};
    ui::Label formatHeading_{L"Label13"};
    ui::ComboBox formatList_{L"cb_PNGorJPG"};
    ui::Label editorHeading_{L"Label16"};
    ui::GroupBox editorGroup_{L"gb_Editor"};
    ui::RadioButton paintEditorRadio_{L"rd_GrEdit1"};
    ui::RadioButton ownEditorRadio_{L"rd_GrEdit2"};
    IconButton editorButton_{L"btn_Editor"};
    ui::Label editorLabel_{L"lbl_Editor"};
    ui::Label startupHeading_{L"Label6"};
    ui::CheckBox startAtLogonBox_{L"cb_AutoStart"};
    ui::CheckBox startMinimisedBox_{L"chk_Minimized"};
    ui::CheckBox trayIconBox_{L"chk_TrayIcon"};
    ui::CheckBox gameClientAtStartBox_{L"chk_ExecUO"};
    ui::Button gameClientButton_{L"btn_ExecUO"};
    ui::Label gameClientLabel_{L"lbl_ExecUO"};
    Picture illustration_{L"img_02"};
};

} // namespace mirulo::app
