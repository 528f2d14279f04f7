// The main window's side of the viewer: creating it, showing it, feeding it the
// selected picture and the status text, and the actions it runs through the
// main window.
#include <windows.h>

#include <cstring>

#include "app/Tfm_Mirulo.h"
#include "capture/CapturePicture.h"
#include "capture/ClipboardSession.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "integration/ShellOperations.h"
#include "library/PictureFolder.h"
#include "ui/Dispatch.h"
#include "viewer/PictureFiles.h"
#include "viewer/TfrmView.h"
#include "viewer/ViewerMainWindow.h"

namespace mirulo::app {
namespace {

constexpr wchar_t kNoSelectionViewer[] = L"【お知らせ】画像ビューア\r\n\r\n画像一覧でファイルが未選択です";
constexpr wchar_t kMissingFileViewer[] = L"【お知らせ】画像ビューア\r\n\r\n選択されたファイルが存在しません";
constexpr wchar_t kNoSelectionClipboard[] = L"【お知らせ】クリップボードへコピー機能\r\n\r\n画像一覧でファイルが未選択です";
constexpr wchar_t kNoSelectionEdit[] = L"【お知らせ】画像編集機能\r\n\r\n画像一覧でファイルが未選択です";
constexpr wchar_t kMissingEditor[] = L"指定された画像編集ソフトが存在しません";
constexpr wchar_t kCopiedToClipboard[] = L"画像をクリップボードへコピーしました";

std::wstring LowerExtension(const std::wstring& path) {
    const std::size_t dot = path.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : path.substr(dot);
    for (wchar_t& c : extension) {
        c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return extension;
}

class ViewerLink final : public viewer::ViewerMainWindow {
public:
    explicit ViewerLink(Tfm_Mirulo& window) : window_(window) {}

    ui::ListBox& PictureList() override { return window_.lb_PicList; }
    std::wstring SaveFolder() const override { return window_.sImageSaveDir; }
    void SetMainStatusText(const std::wstring& text) override { window_.StatusBar1.SetText(text); }
    void MoveToRecycleBin(const std::vector<std::wstring>& files) override {
        window_.MovePicturesToRecycleBin(files);
    }
    bool CopySelectedToClipboard() override { return window_.CopySelectedPictureToClipboard(); }
    void OpenSelectedInEditor() override { window_.OpenSelectedPictureInEditor(); }
    void OpenRecycleBin() override { integration::OpenRecycleBin(window_.host()); }
    void ViewerClosed(const viewer::ViewerPlacement& placement) override {
        window_.ifrmView_Top = placement.top;
        window_.ifrmView_Left = placement.left;
        window_.ifrmView_Height = placement.height;
        window_.ifrmView_Width = placement.width;
    }

private:
    Tfm_Mirulo& window_;
};

} // namespace

void Tfm_Mirulo::CreateViewer() {
    viewerLink_ = std::make_unique<ViewerLink>(*this);
    frmView = std::make_unique<viewer::TfrmView>(
        host(), *viewerLink_, viewer::ViewerPlacement{ifrmView_Top, ifrmView_Left, ifrmView_Height, ifrmView_Width});
}

void Tfm_Mirulo::btn_ViewerClick() {
    if (lb_PicList.ItemIndex() < 0) {
        ShowNotice(kNoSelectionViewer);
        return;
    }
    const std::wstring path = SelectedPicturePath();
    if (!viewer::FileExists(path)) {
        ShowNotice(kMissingFileViewer);
        return;
    }
    if (!frmView) {
        return;
    }
    // Shown first, so that the picture is fitted to the visible window.
    frmView->ShowViewer();
    frmView->frmViewImage1LoadFromFile(path);
}

void Tfm_Mirulo::ShowSelectedInViewer() {
    if (!frmView) {
        return;
    }
    const std::wstring path = SelectedPicturePath();
    if (!path.empty() && viewer::FileExists(path)) {
        frmView->frmViewImage1LoadFromFile(path);
    }
}

void Tfm_Mirulo::MirrorStatusToViewer(const std::wstring& text) {
    if (frmView) {
        frmView->SetStatusText(text);
    }
}

void Tfm_Mirulo::MovePicturesToRecycleBin(const std::vector<std::wstring>& files) {
    if (!files.empty()) {
        integration::MoveToRecycleBin(hwnd(), files, false);
    }
}

bool Tfm_Mirulo::CopySelectedPictureToClipboard() {
    if (lb_PicList.ItemIndex() < 0) {
        ShowNotice(kNoSelectionClipboard);
        return false;
    }
    const std::wstring path = SelectedPicturePath();
    if (!viewer::FileExists(path)) {
        return false;
    }
    const std::wstring extension = LowerExtension(path);
    bool placed = false;
    if (extension == L".png" || extension == L".jpg") {
        capture::ClipboardSession clipboard = capture::ClipboardSession::Open(hwnd());
        const std::vector<std::uint8_t> bytes = viewer::ReadWholeFile(path);
        const image::Image picture = extension == L".png" ? image::DecodePng(bytes) : image::DecodeJpeg(bytes);
        capture::DibSurface surface =
            capture::DibSurface::Create(static_cast<int>(picture.width), static_cast<int>(picture.height));
        for (std::uint32_t y = 0; y < picture.height; ++y) {
            const std::uint8_t* in = picture.row(y);
            std::uint8_t* out = surface.bits() + surface.stride() * y;
            for (std::uint32_t x = 0; x < picture.width; ++x, in += picture.channels, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = 0;
            }
        }
        clipboard.PutBitmap(capture::CapturePicture(std::move(surface)));
        placed = true;
    }
    SetStatusText(kCopiedToClipboard);
    return placed;
}

void Tfm_Mirulo::OpenSelectedPictureInEditor() {
    if (lb_PicList.ItemIndex() < 0) {
        ShowNotice(kNoSelectionEdit);
        return;
    }
    const std::wstring path = SelectedPicturePath();
    std::wstring editor;
    if (rd_GrEdit1.Checked()) {
        editor = L"mspaint";
    } else if (!sEditorAppPath.empty() && viewer::FileExists(sEditorAppPath)) {
        editor = sEditorAppPath;
    }
    if (editor.empty()) {
        ShowNotice(kMissingEditor);
        return;
    }
    integration::OpenInEditor(host(), hwnd(), editor, path);
}

void Tfm_Mirulo::ConnectViewerButton() { btn_Viewer.OnClick = [this] { btn_ViewerClick(); }; }

} // namespace mirulo::app
