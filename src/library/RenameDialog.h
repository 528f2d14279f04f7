#pragma once
// The small "ファイル名の変更" dialog: the picture's current name in, the new
// name out. Created once when the program starts and reused for every rename.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Host.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"
#include "ui/Fonts.h"
#include "ui/Window.h"

namespace mirulo::library {

inline constexpr wchar_t kRenameDialogClass[] = L"Tfm_Mirulo_ReName";

class RenameDialog final : public ui::Window {
public:
    // Creates the dialog hidden.
    explicit RenameDialog(platform::Host& host);

    // Shows the dialog modally over `owner`, centred on it, with `name` in both
    // fields. Returns the new name as typed (possibly empty) when the change is
    // confirmed, nullopt when it is cancelled or the dialog is closed. Returns
    // at once, with nullopt, while the dialog is already showing.
    std::optional<std::wstring> Run(HWND owner, const std::wstring& name);

    bool Showing() const noexcept { return running_; }

    // The current and the new name carried in and out.
    std::wstring currentName;
    std::wstring newName;

    ui::Label currentNameLabel{L"Label1"};
    ui::Edit currentNameEdit{L"edt0"};
    ui::Label newNameLabel{L"Label2"};
    ui::Edit newNameEdit{L"edt1"};
    ui::Button cancelButton{L"btnCancel"};
    ui::Button okButton{L"btnOK"};

protected:
    bool OnClose() override;
    void OnDpiChanged(UINT dpi, const RECT& suggested) override;

private:
    void FormShow();
    void OnOkClicked();
    void OnCancelClicked();
    void CentreOn(HWND owner);
    void EndModal();

    ui::FontCache fonts_;
    ui::ControlTable controlTable_;
    bool running_ = false;
    bool confirmed_ = false;
};

} // namespace mirulo::library
