// The main page's picture list: its refresh from the save folder, the reload
// button, and what clicks and gestures on the list do.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "app/MainWindowTexts.h"
#include "app/MainWindow.h"
#include "app/pages/PicturePage.h"
#include "integration/ShellOperations.h"
#include "library/LocaleNumbers.h"
#include "library/PictureFolder.h"
#include "library/PictureListModel.h"
#include "platform/FileWrites.h"

namespace mirulo::app {
void MainWindow::CountImages() {
    if (!IsSaveFolderUsable()) {
        return; // the list, its selection, the status text and the total stay as they are
    }
    library::PictureListing listing = library::ListPictures(SaveFolder());
    const std::vector<std::wstring>& names = listing.names;
    picturesTotalSize_ = listing.totalSize;

    // Newest (greatest name) on top. Appending from the last name to the first
    // gives the same list as inserting each at the top, without shifting the
    // whole list once per name.
    PictureList().Clear();
    PictureList().SetRedraw(false);
    PictureList().Reserve(names.size());
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        PictureList().Add(*name);
    }
    PictureList().SetRedraw(true);

    SetStatusText(
        library::FolderStatusText(static_cast<std::size_t>(PictureList().Count()), picturesTotalSize_));
    if (PictureList().Count() > 0) {
        PictureList().SetItemIndex(0);
    }
}

void MainWindow::SetStatusText(const std::wstring& text) {
    picturePage_->SetStatusText(text);
    MirrorStatusToViewer(text);
}

std::wstring MainWindow::SelectedPicturePath() const {
    const int index = PictureList().ItemIndex();
    if (index < 0) {
        return {};
    }
    return library::PicturePath(SaveFolder(), PictureList().Item(index));
}

void MainWindow::ReloadPictures() {
    std::vector<std::wstring> entries;
    entries.reserve(static_cast<std::size_t>(PictureList().Count()));
    for (int i = 0; i < PictureList().Count(); ++i) {
        entries.push_back(PictureList().Item(i));
    }
    const std::optional<std::wstring> remembered =
        library::EntryToReselect(entries, PictureList().ItemIndex());
    CountImages();
    // Also when the folder is gone and the refresh left the list as it was.
    if (PictureList().Count() > 0) {
        PictureList().SetItemIndex(0);
    }
    for (int i = 0; i < PictureList().Count(); ++i) {
        if (PictureList().Item(i) == remembered) {
            PictureList().SetItemIndex(i);
            break;
        }
    }
    ShowSelectedInViewer();
}

void MainWindow::PictureListClicked() {
    ShowSelectedInViewer();
}

void MainWindow::PictureListDoubleClicked() {
    const std::wstring path = SelectedPicturePath();
    if (path.empty() || !platform::PathExists(path)) {
        return;
    }
    integration::OpenWithAssociatedProgram(host(), hwnd(), path);
}

void MainWindow::PictureListPressed(UINT message) {
    if (PictureList().Count() == 0 || PictureList().ItemIndex() < 0) {
        return;
    }
    const bool shift = (::GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    if (message == WM_RBUTTONDOWN) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(PictureList().hwnd(), &point);
        const LRESULT hit =
            ::SendMessageW(PictureList().hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        // HIWORD set: the point lies below the last entry, and the selection stays.
        if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < PictureList().Count()) {
            PictureList().SetItemIndex(static_cast<int>(LOWORD(hit)));
        }
        if (shift) {
            OpenPictureInEditor(SelectedPicturePath(), texts::kNoGestureEditor);
        } else {
            CopyPictureToClipboard(SelectedPicturePath(),
                                   [this](const std::wstring& text) { SetStatusText(text); });
        }
        return;
    }
    if (message == WM_LBUTTONDOWN && shift) {
        RenameSelectedPicture();
    }
}

ui::ListBox& MainWindow::PictureList() const {
    return picturePage_->PictureList();
}

} // namespace mirulo::app
