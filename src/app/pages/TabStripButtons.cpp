#include "app/pages/TabStripButtons.h"

#include "AssetIds.h"
#include "app/MainWindowTexts.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace texts;

enum Parent : int { Strip };

} // namespace

void TabStripButtons::CreateControls(ui::ControlTable& table, HWND strip, UINT dpi, int firstId) {
    const Row rows[] = {
        {minimizeButton_, Kind::IconButton, Strip, 361, 1, 21, 22, kNameMinimize, kHintMinimize, 0,
         IDR_GLYPH_MINIMIZE},
        {closeButton_, Kind::IconButton, Strip, 383, 1, 21, 22, kNameClose, kHintClose, 0, IDR_GLYPH_CLOSE},
    };
    const ui::ControlContainer containers[] = {{strip, {0, 0}}};
    table.Create(rows, containers, dpi, firstId);
    minimizeButton_.OnClick = [this] {
        if (OnMinimizeClicked) {
            OnMinimizeClicked();
        }
    };
    closeButton_.OnClick = [this] {
        if (OnCloseClicked) {
            OnCloseClicked();
        }
    };
}

} // namespace mirulo::app
