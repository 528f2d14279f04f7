// Reading the settings into the main window at start (construction step 11),
// writing them back (WriteIni), and the option handlers whose job is to keep the
// file up to date.
#include <windows.h>

#include <string>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "app/pages/SavingAndStartupPage.h"
#include "app/pages/CaptureTriggersPage.h"
#include "app/pages/SoundPage.h"
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

} // namespace

std::wstring MainWindow::SettingsPath() {
    return settings::SettingsFile::PathFor(host().ExecutablePath());
}

settings::IniDocument MainWindow::LoadSettingsPatiently(const std::wstring& path) {
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

settings::SettingsValues MainWindow::ReadSettings() {
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
        MainWindow& window;
        explicit DeferWrites(MainWindow& w) : window(w) { window.deferSettingsWrites_ = true; }
        ~DeferWrites() { window.deferSettingsWrites_ = false; }
    };
    const settings::SettingsValues values = settings::ReadSettings(document, screen_);
    {
        DeferWrites defer(*this);
        ApplySettings(values);
    }
    if (!settingsWritePending_) {
        return values;
    }
    if (settingsFileUnread_ || damagedFileAtStart_) {
        // The box above told what happens to the file, and a second one for the
        // write would tell nothing new. The values wait in memory.
        settingsWritePending_ = false;
        return values;
    }
    // A write that fails (read-only file, a folder without write permission, a
    // full disk) is reported once; the start goes on, with the values in memory.
    ui::Guarded(host(), hwnd(), [this] { WriteIni(); });
    return values;
}

void MainWindow::ApplySettings(const settings::SettingsValues& values) {
    // What no control holds the model takes; the controls below take the rest.
    model_ = UnshownSettings::From(values);
    captureTriggersPage_->ApplyUnit(values.autoCaptureInSeconds);

    MoveTo(values.windowTop, values.windowLeft);

    SetSaveFolder(library::AbsoluteFolder(Widen(values.saveFolder)));
    if (!IsSaveFolderUsable()) {
        picturePage_->SetStatusText(texts::kNoticeNoSaveFolder);
    }

    captureTriggersPage_->ShowFixedRange(model_.fixedRange.left, model_.fixedRange.top,
                                         model_.fixedRange.width, model_.fixedRange.height);
    captureTriggersPage_->ApplyHotKeys(values);

    savingAndStartupPage_->ApplyFormat(values.formatChoice);
    // A period number outside the list gets the default entry, and the file gets that entry back.
    if (!captureTriggersPage_->ApplyPeriod(values.autoCapturePeriodChoice)) {
        WriteIni();
    }
    captureTriggersPage_->ApplyAutoCapture(values.autoCaptureOn);

    soundPage_->ApplySoundEnabled(values.soundOn);
    savingAndStartupPage_->ApplySizeCap(values);
    captureTriggersPage_->ApplyClipboardBoxes(values);
    savingAndStartupPage_->ApplyEditor(values);
    savingAndStartupPage_->ApplyGameClient(values.startGameClient);

    soundPage_->ApplySoundChoices(values);

    savingAndStartupPage_->ApplyTrayIcon(values.trayIconWhenMinimised);
    TrayIconChoiceChanged(); // once more in any case: the window shows and the settings are written
    savingAndStartupPage_->ApplyStartMinimised(values.startMinimised);
    if (soundPage_->ApplyBusinessMode(values.businessMode)) {
        OnBusinessModeClicked();
    }
    const bool illustrated = !soundPage_->BusinessMode();
    picturePage_->ShowIllustration(illustrated);
    savingAndStartupPage_->ShowIllustration(illustrated);
    captureTriggersPage_->ShowIllustration(illustrated);
    soundPage_->ShowIllustration(illustrated);
}

settings::SettingsValues MainWindow::CurrentSettings() const {
    // The one place where the two holders meet: the model's values, the window's
    // place and each page's controls; every key is set by exactly one of them.
    settings::SettingsValues values;
    model_.PutInto(values);

    // While minimised or hidden in the notification area the window's own
    // rectangle is the icon's: the position to come back to is the restored one,
    // stored the same way as in the normal state.
    RECT frame{};
    ::GetWindowRect(hwnd(), &frame);
    if ((::IsIconic(hwnd()) || ::IsZoomed(hwnd())) && restoredFrame_) {
        frame = *restoredFrame_;
    }
    values.windowTop = frame.top;
    values.windowLeft = frame.left;
    savingAndStartupPage_->Store(values);
    captureTriggersPage_->Store(values);
    soundPage_->Store(values);
    return values;
}

void MainWindow::WriteIni() {
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
    const bool soundSelected = soundPage_->SoundSelected();
    if (settingsFileUnread_) {
        settings::WriteChangedSettings(document, values, *settingsAtStart_, soundSelected,
                                       settingsChangedInRun_);
    } else {
        settings::WriteSettings(document, values, soundSelected);
    }
    const auto tellWhereKept = [&] {
        if (!keptAs.empty()) {
            host().ShowMessage(
                hwnd(), std::wstring(texts::kSettingsDamagedKeptAs) + path + texts::kSettingsKeptAs + keptAs,
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

void MainWindow::AutoCaptureSwitched(bool on) {
    // A new start counts a full period: the first capture comes one period later.
    autoCaptureTimer_.SetEnabled(on);
    if (on) {
        tickFailureReported_ = false; // a new run tells its first failure again
    }
}

void MainWindow::AutoCapturePeriodChanged() {
    ApplyTimerInterval();
    WriteIni();
}

std::wstring MainWindow::SaveFolder() const {
    return Widen(model_.saveFolder);
}
std::wstring MainWindow::EditorPath() const {
    return Widen(model_.editorPath);
}
std::wstring MainWindow::GameClientPath() const {
    return Widen(model_.gameClientPath);
}

void MainWindow::SetSaveFolder(const std::wstring& folder) {
    model_.saveFolder = Narrow(folder);
    savingAndStartupPage_->ShowSaveFolder(folder);
}

} // namespace mirulo::app
