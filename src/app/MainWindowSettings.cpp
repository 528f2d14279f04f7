// Reading the settings into the main window at start (construction step 11),
// writing them back (WriteIni), and the option handlers whose job is to keep the
// file up to date.
#include <windows.h>

#include <string>

#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "capture/AutoCapturePeriod.h"
#include "library/PictureFolder.h"
#include "platform/Paths.h"
#include "platform/Wide.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

using platform::Narrow;
using platform::Widen;

constexpr COLORREF kRed = RGB(255, 0, 0);

// A stored index selects its entry; anything else leaves the list without a
// selection and its copy at -1.
std::int32_t SelectStored(ui::ComboBox& list, std::int32_t index) {
    list.SetItemIndex(index);
    return list.ItemIndex();
}

} // namespace

std::wstring Tfm_Mirulo::SettingsPath() { return settings::SettingsFile::PathFor(host().ExecutablePath()); }

settings::IniDocument Tfm_Mirulo::LoadSettingsPatiently(const std::wstring& path) {
    // Another program (a backup, a virus scanner, an editor saving) often holds
    // the file for a moment; giving up at once would start the tool without the
    // user's settings.
    constexpr int kTries = 10;
    constexpr DWORD kPauseMilliseconds = 100;
    for (int attempt = 1;; ++attempt) {
        try {
            return settings::SettingsFile::Load(path);
        } catch (const settings::SettingsFileError& error) {
            const bool passing = error.reason() == settings::SettingsFileError::Reason::CannotRead &&
                                 (error.systemError() == ERROR_SHARING_VIOLATION ||
                                  error.systemError() == ERROR_LOCK_VIOLATION);
            if (!passing || attempt == kTries) {
                throw;
            }
        }
        host().Sleep(kPauseMilliseconds);
    }
}

void Tfm_Mirulo::ReadSettings() {
    const std::wstring path = SettingsPath();
    settings::IniDocument document;
    try {
        document = LoadSettingsPatiently(path);
    } catch (const settings::SettingsFileError& error) {
        std::wstring message = Widen(error.what());
        if (error.damaged()) {
            // Its bytes can never be read: they are kept under another name, now
            // if the file can be renamed, else at the first write.
            try {
                const std::wstring backup = settings::SettingsFile::MoveAsideUnreadable(path);
                if (!backup.empty()) {
                    message += texts::kSettingsKeptAs;
                    message += backup;
                }
            } catch (const settings::SettingsFileError&) {
                damagedFileAtStart_ = true;
                message += texts::kSettingsKeptBeforeWriting;
            }
            message += texts::kSettingsStartOnDefaults;
        } else {
            // Held by another program, or closed to us for now: the file itself may
            // be perfectly good, so it is neither renamed nor written over with
            // defaults. Once it can be read, only what the user changes goes in.
            settingsFileUnread_ = true;
            message += texts::kSettingsLeftAsItIs;
        }
        host().ShowMessage(hwnd(), message, ui::kApplicationTitle, MB_OK | MB_ICONERROR);
    }

    // The option handlers below write the settings as a user's click would. While
    // the values are still being applied such a write would store a mix of loaded
    // and default values, and a program ended at that moment (a start-up notice
    // is open, say) would leave that mix behind. So the writes wait and happen
    // once, with everything applied.
    struct DeferWrites {
        Tfm_Mirulo& window;
        explicit DeferWrites(Tfm_Mirulo& w) : window(w) { window.deferSettingsWrites_ = true; }
        ~DeferWrites() { window.deferSettingsWrites_ = false; }
    };
    {
        DeferWrites defer(*this);
        ApplySettings(settings::ReadSettings(document, screen_));
    }
    if (!settingsWritePending_) {
        return;
    }
    if (settingsFileUnread_ || damagedFileAtStart_) {
        // The box above told what happens to the file, and a second one for the
        // write would tell nothing new. The values wait in memory.
        settingsWritePending_ = false;
        return;
    }
    // A write that fails (read-only file, a folder without write permission, a
    // full disk) is reported once; the start goes on, with the values in memory.
    ui::Guarded(host(), hwnd(), [this] { WriteIni(); });
}

void Tfm_Mirulo::ApplySettings(const settings::SettingsValues& values) {
    blTimerSecMode = values.blTimerSecMode;
    lbl_Timer.SetCaption(blTimerSecMode ? texts::kPerSeconds : texts::kPerMinutes);
    lbl_Timer.SetTextColor(blTimerSecMode ? kRed : CLR_INVALID);

    MoveTo(values.Top170, values.Left170);
    ifrmView_Top = values.ifrmView_Top;
    ifrmView_Left = values.ifrmView_Left;
    ifrmView_Height = values.ifrmView_Height;
    ifrmView_Width = values.ifrmView_Width;

    sImageSaveDir = library::AbsoluteFolder(Widen(values.Folder));
    lbl_SaveFolder.SetCaption(sImageSaveDir);
    if (!IsSaveFolderUsable()) {
        StatusBar1.SetText(texts::kNoticeNoSaveFolder);
    }

    iCapLeft = values.X;
    iCapTop = values.Y;
    iCapHeight = values.H;
    iCapWidth = values.W;
    lbl_XYWH.SetCaption(Widen(settings::XYWHCaption(iCapLeft, iCapTop, iCapWidth, iCapHeight)));

    cb_Key1.SetItemIndex(values.Key1Number);
    cb_KeyAdd1.SetItemIndex(values.Key1AddNumber);
    cb_Key2.SetItemIndex(values.Key2Number);
    cb_KeyAdd2.SetItemIndex(values.Key2AddNumber);
    cb_Key3.SetItemIndex(values.Key3Number);
    cb_KeyAdd3.SetItemIndex(values.Key3AddNumber);
    int_cb_KeyAdd1 = cb_KeyAdd1.ItemIndex();
    int_cb_Key1 = cb_Key1.ItemIndex();
    int_cb_KeyAdd2 = cb_KeyAdd2.ItemIndex();
    int_cb_Key2 = cb_Key2.ItemIndex();
    int_cb_KeyAdd3 = cb_KeyAdd3.ItemIndex();
    int_cb_Key3 = cb_Key3.ItemIndex();

    SelectStored(cb_PNGorJPG, values.PNGorJPGNumber);
    // Without a selected entry the timer would have no period: a number outside
    // the list gets the default entry, and the file gets that entry back.
    const std::int32_t timerEntry = capture::TimerEntryFromStored(values.TimerNumber);
    cb_Timer.SetItemIndex(timerEntry);
    iTimerMin = std::stoi(cb_Timer.Item(timerEntry));
    if (timerEntry != values.TimerNumber) {
        WriteIni();
    }

    chk_Timer.SetChecked(values.TimerEnabled);
    const bool timerOn = chk_Timer.Checked();
    cb_Timer.SetEnabled(timerOn);
    lbl_Timer.SetEnabled(timerOn);
    lbl_TimerMinSec.SetEnabled(timerOn);

    chk_Sound.SetChecked(values.SoundEnabled);
    storedSoundName_ = Widen(values.SoundName);
    chk_Capa.SetChecked(values.FolderCapacityEnabled);
    edt_Capa.SetCaption(std::to_wstring(values.FolderCapacitySize));
    cb_Key1_ToClipboard.SetChecked(values.ToClipboard1Enabled);
    cb_Key2_ToClipboard.SetChecked(values.ToClipboard2Enabled);
    cb_Key3_ToClipboard.SetChecked(values.ToClipboard3Enabled);
    rd_GrEdit1.SetChecked(values.rd_GrEdit1);
    rd_GrEdit2.SetChecked(values.rd_GrEdit2);

    sEditorAppPath = Widen(values.EditorAppPath);
    lbl_Editor.SetCaption(platform::FileNamePart(sEditorAppPath));
    lbl_Editor.SetEnabled(!rd_GrEdit1.Checked());

    chk_ExecUO.SetChecked(values.ExecUOEnabled);
    sExecUOPath = Widen(values.ExecUOApp);
    ShowExecUOProgram();
    btn_ExecUO.SetEnabled(chk_ExecUO.Checked());
    lbl_ExecUO.SetEnabled(chk_ExecUO.Checked());

    bl_chkRND = values.bl_chkRND;
    chkRND.SetChecked(bl_chkRND);
    const auto flags = CategoryFlags();
    for (std::size_t i = 0; i < flags.size(); ++i) {
        *flags[i] = values.bl_chkRNDCategories[i];
    }
    const auto boxes = CategoryBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->SetChecked(*flags[i]);
    }

    chk_TrayIcon.SetChecked(values.chk_TrayIcon);
    chk_TrayIconClick(); // once more in any case: the window shows and the settings are written
    chk_Minimized.SetChecked(values.chk_Minimized);
    cb_IllustNotShow.SetChecked(values.cb_IllustNotShow);
    for (Picture* picture : {&img_01, &img_02, &img_03, &img_04}) {
        picture->SetVisible(!cb_IllustNotShow.Checked());
    }
}

settings::SettingsValues Tfm_Mirulo::CurrentSettings() const {
    settings::SettingsValues values;
    values.blTimerSecMode = blTimerSecMode;

    // While minimised or hidden in the notification area the window's own
    // rectangle is the icon's: the position to come back to is the restored one,
    // stored the same way as in the normal state.
    RECT frame{};
    ::GetWindowRect(hwnd(), &frame);
    if ((::IsIconic(hwnd()) || ::IsZoomed(hwnd())) && restoredFrame_) {
        frame = *restoredFrame_;
    }
    values.Top170 = frame.top;
    values.Left170 = frame.left;
    values.ifrmView_Top = ifrmView_Top;
    values.ifrmView_Left = ifrmView_Left;
    values.ifrmView_Height = ifrmView_Height;
    values.ifrmView_Width = ifrmView_Width;
    values.Folder = Narrow(sImageSaveDir);
    values.X = iCapLeft;
    values.Y = iCapTop;
    values.H = iCapHeight;
    values.W = iCapWidth;
    values.Key1Number = cb_Key1.ItemIndex();
    values.Key1AddNumber = cb_KeyAdd1.ItemIndex();
    values.Key2Number = cb_Key2.ItemIndex();
    values.Key2AddNumber = cb_KeyAdd2.ItemIndex();
    values.Key3Number = cb_Key3.ItemIndex();
    values.Key3AddNumber = cb_KeyAdd3.ItemIndex();
    values.PNGorJPGNumber = cb_PNGorJPG.ItemIndex();
    values.TimerNumber = cb_Timer.ItemIndex();
    values.TimerEnabled = chk_Timer.Checked();
    values.SoundEnabled = chk_Sound.Checked();
    values.SoundName = Narrow(SelectedSoundPath());
    values.FolderCapacityEnabled = chk_Capa.Checked();
    values.FolderCapacitySize = settings::FolderCapacitySizeFromText(Narrow(edt_Capa.Caption()));
    values.ToClipboard1Enabled = cb_Key1_ToClipboard.Checked();
    values.ToClipboard2Enabled = cb_Key2_ToClipboard.Checked();
    values.ToClipboard3Enabled = cb_Key3_ToClipboard.Checked();
    values.rd_GrEdit1 = rd_GrEdit1.Checked();
    values.rd_GrEdit2 = rd_GrEdit2.Checked();
    values.EditorAppPath = Narrow(sEditorAppPath);
    values.ExecUOEnabled = chk_ExecUO.Checked();
    values.ExecUOApp = Narrow(sExecUOPath);
    values.bl_chkRND = bl_chkRND;
    const auto flags = const_cast<Tfm_Mirulo*>(this)->CategoryFlags();
    for (std::size_t i = 0; i < flags.size(); ++i) {
        values.bl_chkRNDCategories[i] = *flags[i];
    }
    values.chk_TrayIcon = chk_TrayIcon.Checked();
    values.chk_Minimized = chk_Minimized.Checked();
    values.cb_IllustNotShow = cb_IllustNotShow.Checked();
    return values;
}

std::wstring Tfm_Mirulo::SelectedSoundPath() const {
    const int index = lb_Sound.ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= slMP3.size()) {
        return {};
    }
    return slMP3[static_cast<std::size_t>(index)];
}

void Tfm_Mirulo::WriteIni() {
    if (deferSettingsWrites_) {
        settingsWritePending_ = true;
        return;
    }
    settingsWritePending_ = false;
    if (settingsFileUnread_ && !settingsAtStart_) {
        return; // still starting: nothing the user chose yet
    }
    const std::wstring path = SettingsPath();
    settings::IniDocument document;
    std::wstring keptAs;
    try {
        document = settings::SettingsFile::Load(path);
    } catch (const settings::SettingsFileError& error) {
        if (!error.damaged()) {
            if (settingsFileUnread_) {
                return; // still closed to us, as the box at start said: the values wait in memory
            }
            throw;
        }
        // Damaged at start and not yet renamed, or spoilt since: its bytes are
        // kept under another name, and a whole new file takes its place.
        keptAs = settings::SettingsFile::MoveAsideUnreadable(path);
    }
    damagedFileAtStart_ = false;
    const settings::SettingsValues values = CurrentSettings();
    const bool soundSelected = !SelectedSoundPath().empty();
    if (settingsFileUnread_) {
        settings::WriteChangedSettings(document, values, *settingsAtStart_, soundSelected, settingsChangedInRun_);
    } else {
        settings::WriteSettings(document, values, soundSelected);
    }
    const auto tellWhereKept = [&] {
        if (!keptAs.empty()) {
            host().ShowMessage(hwnd(), std::wstring(texts::kSettingsDamagedKeptAs) + path + texts::kSettingsKeptAs + keptAs,
                               ui::kApplicationTitle, MB_OK | MB_ICONWARNING);
        }
    };
    try {
        settings::SettingsFile::Save(path, document);
    } catch (...) {
        tellWhereKept();
        throw;
    }
    tellWhereKept();
}

// --- Option handlers ----------------------------------------------------------

void Tfm_Mirulo::chk_TimerClick() {
    const bool on = chk_Timer.Checked();
    cb_Timer.SetEnabled(on);
    lbl_Timer.SetEnabled(on);
    lbl_TimerMinSec.SetEnabled(on);
    // A new start counts a full period: the first capture comes one period later.
    Timer1.SetEnabled(on);
    if (on) {
        tickFailureReported_ = false; // a new run tells its first failure again
    }
    WriteIni();
}

void Tfm_Mirulo::cb_TimerChange() {
    const int index = cb_Timer.ItemIndex();
    if (index >= 0) {
        iTimerMin = std::stoi(cb_Timer.Item(index));
    }
    ApplyTimerInterval();
    WriteIni();
}

void Tfm_Mirulo::chk_SoundClick() { WriteIni(); }

void Tfm_Mirulo::chk_CapaClick() {
    edt_Capa.SetEnabled(chk_Capa.Checked());
    if (chk_Capa.Checked()) {
        ShowNotice(texts::kNoticeCapOn);
    }
    WriteIni();
}

void Tfm_Mirulo::cb_Key1_ToClipboardClick() { WriteIni(); }
void Tfm_Mirulo::cb_Key3_ToClipboardClick() { WriteIni(); }
void Tfm_Mirulo::cb_PNGorJPGClick() { WriteIni(); }

void Tfm_Mirulo::rd_GrEdit2Click() {
    lbl_Editor.SetEnabled(rd_GrEdit2.Checked());
    WriteIni();
}

void Tfm_Mirulo::chk_ExecUOClick() {
    const bool on = chk_ExecUO.Checked();
    btn_ExecUO.SetEnabled(on);
    lbl_ExecUO.SetEnabled(on);
    WriteIni();
}

void Tfm_Mirulo::ShowExecUOProgram() { lbl_ExecUO.SetCaption(platform::FileNamePart(sExecUOPath)); }

void Tfm_Mirulo::chkRNDClick() {
    bl_chkRND = chkRND.Checked();
    WriteIni();
}

void Tfm_Mirulo::ConnectOptionHandlers() {
    chk_Timer.OnClick = [this] { chk_TimerClick(); };
    cb_Timer.OnChange = [this] { cb_TimerChange(); };
    chk_Sound.OnClick = [this] { chk_SoundClick(); };
    chk_Capa.OnClick = [this] { chk_CapaClick(); };
    cb_Key1_ToClipboard.OnClick = [this] { cb_Key1_ToClipboardClick(); };
    cb_Key3_ToClipboard.OnClick = [this] { cb_Key3_ToClipboardClick(); };
    cb_PNGorJPG.OnChange = [this] { cb_PNGorJPGClick(); };
    rd_GrEdit1.OnClick = [this] { rd_GrEdit2Click(); };
    rd_GrEdit2.OnClick = [this] { rd_GrEdit2Click(); };
    chk_ExecUO.OnClick = [this] { chk_ExecUOClick(); };
    chkRND.OnClick = [this] { chkRNDClick(); };
    for (ui::CheckBox* box : CategoryBoxes()) {
        box->OnClick = [this] { chkRND01Click(); };
    }
    cb_AutoStart.OnClick = [this] { cb_AutoStartClick(); };
}

} // namespace mirulo::app
