// The main page's picture list: its refresh from the save folder, the reload
// button, and what clicks and gestures on the list do.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "app/Tfm_Mirulo.h"
#include "integration/ShellOperations.h"
#include "library/LocaleNumbers.h"
#include "library/PictureFolder.h"

namespace mirulo::app {
namespace {

constexpr wchar_t kTrashMark[] = L"[ゴミ箱]";
constexpr std::size_t kTrashMarkLength = 5;

bool IsMarked(const std::wstring& entry) { return entry.compare(0, kTrashMarkLength, kTrashMark) == 0; }

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(library::ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

void Tfm_Mirulo::CountImages() {
    if (!IsSaveFolderUsable()) {
        return; // the list, its selection, the status text and the total stay as they are
    }
    library::PictureListing listing = library::ListPictures(sImageSaveDir);
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
    StatusBar1.SetText(text);
    // The viewer's status bar mirrors this text once the viewer exists.
}

std::wstring Tfm_Mirulo::SelectedPicturePath() const {
    const int index = lb_PicList.ItemIndex();
    if (index < 0) {
        return {};
    }
    return library::PicturePath(sImageSaveDir, lb_PicList.Item(index));
}

void Tfm_Mirulo::btn_ReLoadClick() {
    std::wstring remembered;
    const int count = lb_PicList.Count();
    int index = lb_PicList.ItemIndex();
    if (index >= count) {
        index = count - 1;
    }
    if (index >= 0) {
        remembered = lb_PicList.Item(0);
        for (int i = index; i >= 0; --i) {
            std::wstring entry = lb_PicList.Item(i);
            if (!IsMarked(entry)) {
                remembered = std::move(entry);
                break;
            }
        }
    }
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
    // Showing the selected picture in the viewer arrives with the viewer.
}

void Tfm_Mirulo::lb_PicList2Click() {
    // Showing the selected picture in the viewer arrives with the viewer.
}

void Tfm_Mirulo::lb_PicListDblClick() {
    const std::wstring path = SelectedPicturePath();
    if (path.empty() || !FileExists(path)) {
        return;
    }
    integration::OpenWithAssociatedProgram(host(), hwnd(), path);
}

void Tfm_Mirulo::lb_PicListMouseDown(UINT message) {
    if (lb_PicList.Count() == 0 || lb_PicList.ItemIndex() < 0) {
        return;
    }
    if (message == WM_RBUTTONDOWN) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(lb_PicList.hwnd(), &point);
        const LRESULT hit = ::SendMessageW(lb_PicList.hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        // HIWORD set: the point lies below the last entry, and the selection stays.
        if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < lb_PicList.Count()) {
            lb_PicList.SetItemIndex(static_cast<int>(LOWORD(hit)));
        }
        // Copying to the clipboard (no Shift) and opening in the editor (Shift,
        // read with GetAsyncKeyState) arrive with the file actions.
        return;
    }
    // Left button with Shift: renaming arrives with the file actions.
}

void Tfm_Mirulo::ConnectPictureList() {
    btn_ReLoad.OnClick = [this] { btn_ReLoadClick(); };
    lb_PicList.OnClick = [this] { lb_PicList2Click(); };
    lb_PicList.OnDblClick = [this] { lb_PicListDblClick(); };
    lb_PicList.OnMouseDown = [this](UINT message) { lb_PicListMouseDown(message); };
}

} // namespace mirulo::app
