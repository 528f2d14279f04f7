// The main page's picture list: its refresh from the save folder, the reload
// button, and what clicks and gestures on the list do.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "app/MainWindowTexts.h"
#include "app/Tfm_Mirulo.h"
#include "integration/ShellOperations.h"
#include "library/LocaleNumbers.h"
#include "library/PictureFolder.h"
#include "library/PictureListModel.h"
#include "platform/FileWrites.h"

namespace mirulo::app {
namespace {} // namespace

void Tfm_Mirulo::CountImages() {
    if (!IsSaveFolderUsable()) {
        return; // the list, its selection, the status text and the total stay as they are
    }
    library::PictureListing listing = library::ListPictures(SaveFolder());
    slPNGJPG = std::move(listing.names);
    FTotalSize = listing.totalSize;

    // Newest (greatest name) on top. Appending from the last name to the first
    // gives the same list as inserting each at the top, without shifting the
    // whole list once per name.
    lb_PicList.Clear();
    lb_PicList.SetRedraw(false);
    lb_PicList.Reserve(slPNGJPG.size());
    for (auto name = slPNGJPG.rbegin(); name != slPNGJPG.rend(); ++name) {
        lb_PicList.Add(*name);
    }
    lb_PicList.SetRedraw(true);
    slPNGJPG.clear();
    slPNGJPG.shrink_to_fit();

    SetStatusText(library::FolderStatusText(static_cast<std::size_t>(lb_PicList.Count()), FTotalSize));
    if (lb_PicList.Count() > 0) {
        lb_PicList.SetItemIndex(0);
    }
}

void Tfm_Mirulo::SetStatusText(const std::wstring& text) {
    statusBar.SetText(text);
    MirrorStatusToViewer(text);
}

std::wstring Tfm_Mirulo::SelectedPicturePath() const {
    const int index = lb_PicList.ItemIndex();
    if (index < 0) {
        return {};
    }
    return library::PicturePath(SaveFolder(), lb_PicList.Item(index));
}

void Tfm_Mirulo::btn_ReLoadClick() {
    std::vector<std::wstring> entries;
    entries.reserve(static_cast<std::size_t>(lb_PicList.Count()));
    for (int i = 0; i < lb_PicList.Count(); ++i) {
        entries.push_back(lb_PicList.Item(i));
    }
    const std::optional<std::wstring> remembered = library::EntryToReselect(entries, lb_PicList.ItemIndex());
    CountImages();
    // Also when the folder is gone and the refresh left the list as it was.
    if (lb_PicList.Count() > 0) {
        lb_PicList.SetItemIndex(0);
    }
    for (int i = 0; i < lb_PicList.Count(); ++i) {
        if (lb_PicList.Item(i) == remembered) {
            lb_PicList.SetItemIndex(i);
            break;
        }
    }
    ShowSelectedInViewer();
}

void Tfm_Mirulo::OnPictureListClicked() {
    ShowSelectedInViewer();
}

void Tfm_Mirulo::lb_PicListDblClick() {
    const std::wstring path = SelectedPicturePath();
    if (path.empty() || !platform::PathExists(path)) {
        return;
    }
    integration::OpenWithAssociatedProgram(host(), hwnd(), path);
}

void Tfm_Mirulo::lb_PicListMouseDown(UINT message) {
    if (lb_PicList.Count() == 0 || lb_PicList.ItemIndex() < 0) {
        return;
    }
    const bool shift = (::GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    if (message == WM_RBUTTONDOWN) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(lb_PicList.hwnd(), &point);
        const LRESULT hit =
            ::SendMessageW(lb_PicList.hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        // HIWORD set: the point lies below the last entry, and the selection stays.
        if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < lb_PicList.Count()) {
            lb_PicList.SetItemIndex(static_cast<int>(LOWORD(hit)));
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

void Tfm_Mirulo::ConnectPictureList() {
    btn_ReLoad.OnClick = [this] { btn_ReLoadClick(); };
    lb_PicList.OnClick = [this] { OnPictureListClicked(); };
    lb_PicList.OnDblClick = [this] { lb_PicListDblClick(); };
    lb_PicList.OnMouseDown = [this](UINT message) { lb_PicListMouseDown(message); };
}

} // namespace mirulo::app
