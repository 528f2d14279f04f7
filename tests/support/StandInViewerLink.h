#pragma once
// The viewer's link to a main window, for a viewer shown without one: the
// picture list is a plain vector of entries, and the main window's actions do
// nothing.
#include <string>
#include <utility>
#include <vector>

#include "library/PictureListModel.h"
#include "viewer/ViewerMainWindow.h"

namespace mirulo::testkit {

class StandInViewerLink final : public viewer::ViewerMainWindow {
public:
    explicit StandInViewerLink(std::wstring saveFolder = {}) : saveFolder_(std::move(saveFolder)) {}

    int PictureCount() const override { return static_cast<int>(entries.size()); }
    std::wstring PictureEntry(int index) const override {
        return entries.at(static_cast<std::size_t>(index));
    }
    int SelectedPicture() const override { return selected; }
    void SelectPicture(int index) override { selected = index; }
    void MarkPictureRecycled(int index) override {
        entries.at(static_cast<std::size_t>(index)).insert(0, library::kTrashMark);
        selected = index;
    }
    void InsertPicture(int index, const std::wstring& entry) override {
        entries.insert(entries.begin() + index, entry);
    }
    std::wstring SaveFolder() const override { return saveFolder_; }
    void SetMainStatusText(const std::wstring&) override {}
    bool MoveToRecycleBin(const std::vector<std::wstring>&) override { return false; }
    bool CopySelectedToClipboard() override { return false; }
    void OpenSelectedInEditor() override {}
    void OpenRecycleBin() override {}
    void ViewerClosed(const viewer::ViewerPlacement&) override {}

    std::vector<std::wstring> entries;
    int selected = -1;

private:
    std::wstring saveFolder_;
};

} // namespace mirulo::testkit
