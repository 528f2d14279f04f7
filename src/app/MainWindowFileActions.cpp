// The main window's size cap and recycle-bin button, and its actions on the
// selected picture: rename, editor, clipboard; choosing the save folder and the
// editor, and opening the save folder.
#include <windows.h>

#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/SavingAndStartupPage.h"
#include "platform/Wide.h"
#include "integration/ShellOperations.h"
#include "library/PictureClipboard.h"
#include "library/PictureEditor.h"
#include "library/PictureFolder.h"
#include "library/RecycleBin.h"
#include "library/RenameName.h"
#include "library/SizeCap.h"
#include "library/PictureListModel.h"
#include "platform/FileWrites.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace mirulo::app {
namespace {

std::u16string ToU16(const std::wstring& text) {
    return {text.begin(), text.end()};
}
std::wstring ToWide(const std::u16string& text) {
    return {text.begin(), text.end()};
}

// The picture list and save folder as the size cap works on them.
class ListedFolder final : public library::SizeCapFolder {
public:
    ListedFolder(MainWindow& window, std::set<std::u16string>& passedOverForTheRun)
        : window_(window), passedOverForTheRun_(passedOverForTheRun) {}

    std::int64_t TotalSize() const override { return window_.PicturesTotalSize(); }

    std::optional<std::u16string> Oldest(const std::set<std::u16string>& passedOver) const override {
        for (int i = window_.PictureList().Count() - 1; i >= 0; --i) {
            std::u16string entry = ToU16(window_.PictureList().Item(i));
            if (passedOver.count(entry) == 0) {
                return entry;
            }
        }
        return std::nullopt;
    }

    library::CapMove MoveToRecycleBin(const std::u16string& picture) override {
        const std::wstring path = library::PicturePath(window_.SaveFolder(), ToWide(picture));
        if (library::IsGone(path)) {
            return library::CapMove::Moved; // gone already: the refresh will show it
        }
        if (!library::IsFile(path)) {
            return library::CapMove::NotAFile;
        }
        // What the recycle bin cannot take is never handed to the shell, which
        // would offer to delete it outright instead.
        if (const std::uint32_t reason = library::WhyTheRecycleBinCannotTake(path); reason != ERROR_SUCCESS) {
            reasons[picture] = platform::SystemMessage(reason);
            return library::CapMove::Refused;
        }
        const integration::RecycleResult result = integration::MoveToRecycleBin(window_.hwnd(), {path}, true);
        if (library::IsGone(path)) {
            return library::CapMove::Moved;
        }
        // Not asked of the shell again in this run: every capture would bring
        // its questions back.
        passedOverForTheRun_.insert(picture);
        if (result.aborted) {
            return library::CapMove::Declined;
        }
        reasons[picture] = L"";
        return library::CapMove::Refused;
    }

    void Refresh() override { window_.CountImages(); }

    std::map<std::u16string, std::wstring> reasons;

private:
    MainWindow& window_;
    std::set<std::u16string>& passedOverForTheRun_;
};

} // namespace

void MainWindow::CreateRenameDialog() {
    renameDialog_ = std::make_unique<library::RenameDialog>(host());
}

// --- Size cap and recycle bin -------------------------------------------------

void MainWindow::MoveOldestToRecycleBinWhileOverCap() {
    if (!savingAndStartupPage_->SizeCapOn()) {
        return;
    }
    const std::wstring text = savingAndStartupPage_->SizeCapText();
    const std::optional<std::int32_t> megabytes = library::ParseCapMegabytes(ToU16(text));
    if (!megabytes) {
        std::wstring message = texts::kCapNotWholeNumber;
        message.replace(message.find(L"%s"), 2, text);
        throw platform::UserError(message);
    }
    ListedFolder folder(*this, capPassedOver_);
    const library::SizeCapResult result =
        library::ApplySizeCap(library::CapBytes(*megabytes), folder, capPassedOver_);
    if (result.kept.empty()) {
        return;
    }
    SetStatusText(texts::kCannotRecycleTag + ToWide(result.kept.front()));
    // Said once for each picture, not at every capture that finds it still there.
    std::wstring message;
    for (const std::u16string& picture : result.kept) {
        if (result.declined == picture || !capToldKept_.insert(picture).second) {
            continue;
        }
        message += L"\r\n\r\n" + library::PicturePath(SaveFolder(), ToWide(picture));
        if (const auto reason = folder.reasons.find(picture);
            reason != folder.reasons.end() && !reason->second.empty()) {
            message += L"\r\n" + reason->second;
        }
    }
    if (!message.empty()) {
        ShowNotice(texts::kCapKeptPictures + message);
    }
}

void MainWindow::RecycleButtonPressed(UINT message) {
    if (message == WM_RBUTTONDOWN) {
        integration::OpenRecycleBin(host());
        return;
    }
    if (message != WM_LBUTTONDOWN) {
        return;
    }
    const int index = PictureList().ItemIndex();
    if (index < 0) {
        ShowNotice(texts::kNoSelectionDelete);
        return;
    }
    const std::wstring entry = PictureList().Item(index);
    const std::wstring path = library::PicturePath(SaveFolder(), entry);
    if (!library::IsFile(path)) {
        return; // a marked line, a picture removed behind our back, or a folder named like one
    }
    // Marked and reported only when the file has really gone: the user may have
    // declined the shell's confirmation, or the file may be in use, and the
    // shell has then told them so itself.
    if (!library::SendToRecycleBin2(hwnd(), {path}, true)) {
        return;
    }
    SetStatusText(texts::kRecycledTag + platform::FileNamePart(path));
    PictureList().SetItem(index, std::wstring(library::kTrashMark) + entry);
}

// --- Rename -------------------------------------------------------------------

void MainWindow::RenameClicked() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(texts::kNoSelectionRename);
        return;
    }
    RenameSelectedPicture();
}

void MainWindow::RenameSelectedPicture() {
    const int index = PictureList().ItemIndex();
    if (index < 0 || !renameDialog_) {
        return;
    }
    renameFrom_ = PictureList().Item(index);
    renameTo_.clear();
    {
        // Ordinary while the dialog shows, so the dialog is not hidden behind it;
        // top-most afterwards, whatever happened in between.
        ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        struct TopMostAgain {
            HWND window;
            ~TopMostAgain() {
                ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        } topMostAgain{hwnd()};
        renameTo_ = renameDialog_->Run(hwnd(), renameFrom_).value_or(std::wstring());
    }
    if (renameTo_.empty()) {
        return;
    }
    // The name goes straight into a path: one that leaves the folder, names a
    // device or would be shortened by Windows is refused like any failed rename.
    const bool renamed =
        library::IsPlainFileName(ToU16(renameTo_)) &&
        ::MoveFileW(library::ExtendedLengthPath(library::PicturePath(SaveFolder(), renameFrom_)).c_str(),
                    library::ExtendedLengthPath(library::PicturePath(SaveFolder(), renameTo_)).c_str());
    if (!renamed) {
        ShowNotice(texts::kRenameFailed);
        return;
    }
    CountImages();
}

// --- Editor and clipboard -----------------------------------------------------

void MainWindow::EditClicked() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(texts::kNoSelectionEdit);
        return;
    }
    OpenPictureInEditor(SelectedPicturePath(), texts::kNoEditor);
}

void MainWindow::OpenPictureInEditor(const std::wstring& path, std::wstring_view missingEditorMessage) {
    library::OpenPictureInEditor(host(), hwnd(), path, {savingAndStartupPage_->PaintChosen(), EditorPath()},
                                 missingEditorMessage);
}

void MainWindow::CopyToClipboardClicked() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(texts::kNoSelectionClipboard);
        return;
    }
    CopyPictureToClipboard(SelectedPicturePath(), [this](const std::wstring& text) { SetStatusText(text); });
}

bool MainWindow::CopyPictureToClipboard(const std::wstring& path, const StatusSink& setStatus) {
    if (!platform::PathExists(path)) {
        return false;
    }
    const bool copied = library::CopyPictureToClipboard(hwnd(), path);
    if (setStatus) {
        setStatus(texts::kCopiedToClipboard);
    }
    return copied;
}

// --- Save folder and editor choice --------------------------------------------

void MainWindow::OpenSaveFolder() {
    if (!IsSaveFolderUsable()) {
        ShowNotice(texts::kNoticeOpenFolder);
        return;
    }
    integration::OpenFolderInExplorer(host(), hwnd(), SaveFolder());
}

void MainWindow::ChooseSaveFolder() {
    const std::optional<std::wstring> folder =
        integration::ChooseFolder(host(), hwnd(), texts::kChooseFolderTitle, SaveFolder());
    if (folder) {
        SetSaveFolder(*folder);
        CountImages();
    }
    WriteIni();
}

} // namespace mirulo::app
