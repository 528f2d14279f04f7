#pragma once
// What the viewer needs from the main window. The viewer keeps no list and no
// folder of its own: it works on the main window's picture list and save
// folder, and runs the main window's own actions for the clipboard, the editor
// and the recycle bin, so that their messages and status texts are the same
// whichever window the user started them from.
#include <string>
#include <vector>

namespace mirulo::viewer {

// The viewer's outer place and size on the virtual desktop, frame included.
struct ViewerPlacement {
    int top = 0;
    int left = 0;
    int height = 600;
    int width = 800;
    bool operator==(const ViewerPlacement&) const = default;
};

class ViewerMainWindow {
public:
    virtual ~ViewerMainWindow() = default;

    // The picture list as the viewer steps through it: its entries, newest
    // first, as the list shows them (a file name, or one marked as gone to the
    // recycle bin), and the selected one (-1: none).
    virtual int PictureCount() const = 0;
    virtual std::wstring PictureEntry(int index) const = 0;
    virtual int SelectedPicture() const = 0;
    // Selects an entry, running nothing of the main window's.
    virtual void SelectPicture(int index) = 0;
    // The entry's picture went to the recycle bin: it shows marked, and stays
    // selected, until the list is read anew.
    virtual void MarkPictureRecycled(int index) = 0;
    // A new picture (a copy) listed at `index`; the entries from there move down.
    virtual void InsertPicture(int index, const std::wstring& entry) = 0;
    virtual std::wstring SaveFolder() const = 0;
    // The main window's status panel only (the viewer writes its own).
    virtual void SetMainStatusText(const std::wstring& text) = 0;
    // Files to the recycle bin in one shell operation, the shell's progress and
    // confirmations shown; true when every file has really gone (the user may
    // decline the shell's confirmation, or a file may be in use).
    virtual bool MoveToRecycleBin(const std::vector<std::wstring>& files) = 0;
    // The main window's clipboard action on the selected entry; true when a
    // picture was put on the clipboard.
    virtual bool CopySelectedToClipboard() = 0;
    // The main window's editor action on the selected entry.
    virtual void OpenSelectedInEditor() = 0;
    virtual void OpenRecycleBin() = 0;
    // The viewer was closed at this place; kept for the next settings write.
    virtual void ViewerClosed(const ViewerPlacement& placement) = 0;
};

} // namespace mirulo::viewer
