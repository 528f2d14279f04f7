// The main window's side of the viewer: creating it, showing it, feeding it the
// selected picture and the status text, and the actions it runs through the
// main window.
#include <windows.h>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "integration/ShellOperations.h"
#include "library/PictureFolder.h"
#include "library/PictureListModel.h"
#include "library/RecycleBin.h"
#include "platform/FileWrites.h"
#include "ui/Dispatch.h"
#include "viewer/PictureFiles.h"
#include "viewer/ViewerWindow.h"
#include "viewer/ViewerMainWindow.h"

namespace mirulo::app {
namespace {

constexpr wchar_t kNoSelectionViewer[] = L"【お知らせ】画像ビューア\r\n\r\n画像一覧でファイルが未選択です";
constexpr wchar_t kMissingFileViewer[] = L"【お知らせ】画像ビューア\r\n\r\n選択されたファイルが存在しません";

class ViewerLink final : public viewer::ViewerMainWindow {
public:
    explicit ViewerLink(MainWindow& window) : window_(window) {}

    int PictureCount() const override { return list().Count(); }
    std::wstring PictureEntry(int index) const override { return list().Item(index); }
    int SelectedPicture() const override { return list().ItemIndex(); }
    void SelectPicture(int index) override { list().SetItemIndex(index); }
    void MarkPictureRecycled(int index) override {
        list().SetItem(index, std::wstring(library::kTrashMark) + list().Item(index));
        list().SetItemIndex(index);
    }
    void InsertPicture(int index, const std::wstring& entry) override { list().Insert(index, entry); }
    std::wstring SaveFolder() const override { return window_.SaveFolder(); }
    void SetMainStatusText(const std::wstring& text) override { window_.picturePage().SetStatusText(text); }
    bool MoveToRecycleBin(const std::vector<std::wstring>& files) override {
        return window_.MovePicturesToRecycleBin(files);
    }
    bool CopySelectedToClipboard() override { return window_.CopySelectedPictureToClipboard(); }
    void OpenSelectedInEditor() override { window_.OpenSelectedPictureInEditor(); }
    void OpenRecycleBin() override { integration::OpenRecycleBin(window_.host()); }
    void ViewerClosed(const viewer::ViewerPlacement& placement) override {
        window_.RememberViewerPlace(placement.top, placement.left, placement.height, placement.width);
    }

private:
    ui::ListBox& list() const { return window_.PictureList(); }
    MainWindow& window_;
};

} // namespace

void MainWindow::RememberViewerPlace(int top, int left, int height, int width) {
    model_.viewerPlace = {top, left, height, width};
}

void MainWindow::CreateViewer() {
    viewerLink_ = std::make_unique<ViewerLink>(*this);
    viewerWindow_ = std::make_unique<viewer::ViewerWindow>(
        host(), *viewerLink_,
        viewer::ViewerPlacement{model_.viewerPlace.top, model_.viewerPlace.left, model_.viewerPlace.height,
                                model_.viewerPlace.width});
}

void MainWindow::ViewerClicked() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(kNoSelectionViewer);
        return;
    }
    const std::wstring path = SelectedPicturePath();
    if (!platform::FileExists(path)) {
        ShowNotice(kMissingFileViewer);
        return;
    }
    if (!viewerWindow_) {
        return;
    }
    // Shown first, so that the picture is fitted to the visible window.
    viewerWindow_->ShowViewer();
    viewerWindow_->LoadPicture(path);
}

void MainWindow::ShowSelectedInViewer() {
    if (!viewerWindow_) {
        return;
    }
    const std::wstring path = SelectedPicturePath();
    if (!path.empty() && platform::FileExists(path)) {
        viewerWindow_->LoadPicture(path);
    }
}

void MainWindow::MirrorStatusToViewer(const std::wstring& text) {
    if (viewerWindow_) {
        viewerWindow_->SetStatusText(text);
    }
}

bool MainWindow::MovePicturesToRecycleBin(const std::vector<std::wstring>& files) {
    return library::SendToRecycleBin2(hwnd(), files, true);
}

bool MainWindow::CopySelectedPictureToClipboard() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(texts::kNoSelectionClipboard);
        return false;
    }
    // The list's own action: the picture is decoded before the clipboard is
    // touched, so a damaged file never wipes what the user had copied.
    return CopyPictureToClipboard(SelectedPicturePath(),
                                  [this](const std::wstring& text) { SetStatusText(text); });
}

void MainWindow::OpenSelectedPictureInEditor() {
    if (PictureList().ItemIndex() < 0) {
        ShowNotice(texts::kNoSelectionEdit);
        return;
    }
    OpenPictureInEditor(SelectedPicturePath(), texts::kNoEditor);
}

} // namespace mirulo::app
