#pragma once
// The picture viewer: a second top-level window that shows the picture selected
// in the main window's list, one at a time, with a strip of buttons to step
// through the list, move the picture to the recycle bin, copy it, open it in the
// editor, make grey-scale and sepia copies and print it on a printer chosen in
// the strip. Created hidden at start-up and kept until the program ends; closing
// it only hides it.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/Host.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"
#include "ui/Fonts.h"
#include "ui/Hints.h"
#include "ui/IconButton.h"
#include "ui/Window.h"
#include "viewer/PictureArea.h"
#include "viewer/Printers.h"
#include "viewer/ViewerMainWindow.h"

namespace mirulo::viewer {

inline constexpr wchar_t kViewerWindowClass[] = L"TfrmView";

class ViewerWindow final : public ui::Window {
public:
    ViewerWindow(platform::Host& host, ViewerMainWindow& mainWindow, const ViewerPlacement& placement);

    // Shows the picture file and writes its name into both status bars; does
    // nothing when the file does not exist. Throws when the file cannot be read
    // or decoded, leaving the picture on display and the status texts as they
    // were.
    void LoadPicture(const std::wstring& sFileName);

    // The viewer's status panel, which mirrors the main window's status text.
    void SetStatusText(std::wstring_view text);
    std::wstring StatusText() const { return statusBar.Text(); }

    // Made visible and brought to the front, not modal.
    void ShowViewer();

    // The area a picture may take now: the client width by the client height
    // less the button strip and the status bar.
    SIZE AvailableArea() const;

    // --- Controls ----------------------------------------------------------
    PictureArea pictureArea;
    ui::StatusBar statusBar{L"StatusBar1"};
    ui::IconButton previousButton{L"btn_L"};
    ui::IconButton nextButton{L"btn_R"};
    ui::IconButton recycleButton{L"btn_Dust"};
    ui::IconButton clipboardButton{L"btn_Clipboard"};
    ui::IconButton editButton{L"btn_Edit"};
    ui::IconButton greyCopyButton{L"btn_Gray"};
    ui::IconButton sepiaCopyButton{L"btn_Sepia"};
    // The printers by short name, and hidden beside it the same printers by full
    // name in the same order.
    ui::ComboBox printerShortNames{L"cmb_PrinterName_Short"};
    ui::ComboBox printerFullNames{L"cmb_PrinterName_Full"};
    ui::IconButton printButton{L"btn_Print"};
    ui::Hints& hints() { return hints_; }

    // The printer that prints now, with its settings turned to landscape; none
    // when the choice failed.
    const std::optional<ChosenPrinter>& chosenPrinter() const { return chosen_; }
    // Whether the last printed picture was fitted by width, and where it went.
    bool printedWide = false;
    const std::optional<PrintedJob>& lastPrintedJob() const { return lastJob_; }

    // --- Handlers ------------------------------------------------------------
    void FormCreate(const ViewerPlacement& placement);
    void FormClose();
    void OnPreviousClicked();
    void OnNextClicked();
    void OnRecycleButtonPressed(UINT message);
    void OnClipboardClicked();
    void OnEditClicked();
    void OnGreyCopyClicked();
    void OnSepiaCopyClicked();
    void OnPrinterChosen();
    // Without a selected entry, or without a .jpg or .png file behind it, the
    // button does nothing and says nothing, as the copy buttons do.
    void OnPrintClicked();

    // Makes the printer chosen in the drop-down the current one, with its
    // driver's default settings and landscape. Throws PrinterError.
    void SelectPrinter();
    // Shows the picture and prints it as one job of one page; the job is named
    // after the local time. Tells the user when the printer does not take it.
    void PrintCaptureImage(const image::Image& picture);

protected:
    bool OnClose() override;
    void OnSize(UINT kind, int width, int height) override;
    void OnDpiChanged(UINT dpi, const RECT& suggested) override;

private:
    void CreateControls();
    void LayStatusBar();
    // The full path of the selected list entry, or empty without a selection.
    std::wstring SelectedPath() const;
    void StepTo(int index);
    void MakeCopy(bool grey);
    void BuildPrinterLists();
    void ShowPicture(const image::Image& picture);
    void ReportPrinterError(const PrinterError& error);

    ViewerMainWindow& main_;
    ui::FontCache fonts_;
    ui::ControlTable controlTable_;
    ui::Hints hints_;
    std::optional<ChosenPrinter> chosen_;
    std::optional<PrintedJob> lastJob_;
};

} // namespace mirulo::viewer
