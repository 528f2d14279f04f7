#pragma once
// A window's controls built from a table, one row per control, so a window's
// construction reads like its control list. The table keeps every place at
// 96 DPI and lays the controls out again when the window's DPI changes: places,
// fonts and artwork all follow the new scale.
#include <windows.h>

#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "ui/Control.h"
#include "ui/Fonts.h"

namespace mirulo::ui {

enum class ControlKind {
    PushButton,
    IconButton,
    CheckBox,
    RadioButton,
    DropDownList,
    ListBox,
    Edit,
    Label,
    GroupBox,
    StatusBar,
    Picture
};

// What a row may ask for beyond its kind. A window's table says `using namespace ui::row_flags;`.
namespace row_flags {
enum : unsigned {
    kChecked = 1u << 0,
    kDisabled = 1u << 1,
    kHidden = 1u << 2,
    kWhiteBack = 1u << 3,
    kCentred = 1u << 4,
    kUnderline = 1u << 5,
    kGrey = 1u << 6,
    kHandCursor = 1u << 7,
    kNoTabStop = 1u << 8,
    kRightAligned = 1u << 9,
    kImeOff = 1u << 10,
    kHeading = 1u << 11, // 19 px
    kFont15 = 1u << 12,
    kFont12 = 1u << 13,
    kClickable = 1u << 14, // a label with a click or mouse handler
    kFixedSize = 1u << 15, // a label that keeps its place's size; others fit their text
};
} // namespace row_flags

// A window the rows are placed in, and where the rows' coordinates start in it
// (controls framed by a group box are placed relative to the box, but are
// children of the page so their notifications reach us).
struct ControlContainer {
    HWND hwnd = nullptr;
    POINT originAt96{0, 0};
};

struct ControlRow {
    Control& control;
    ControlKind kind;
    int container;           // index into the table's containers
    int x, y, width, height; // at 96 DPI, from the container's origin
    const wchar_t* caption;
    const wchar_t* hint; // nullptr: none
    unsigned flags;
    int artwork; // picture or glyph, 0 for none
    // A font of the window's own instead of the kit's (the flags' sizes then
    // do not apply); nullptr: the kit's font.
    const FontSpec* font = nullptr;
};

class ControlTable {
public:
    // Gives a row's control its artwork drawn for `dpi`; called when the control is
    // made and again after every DPI change.
    using ArtworkLoader = std::function<void(Control& control, ControlKind kind, int artwork, UINT dpi)>;

    ControlTable(FontCache& fonts, ArtworkLoader loadArtwork);
    ControlTable(const ControlTable&) = delete;
    ControlTable& operator=(const ControlTable&) = delete;

    // Creates the rows' controls in order, with command ids from `firstId`.
    void Create(std::span<const ControlRow> rows, std::span<const ControlContainer> containers, UINT dpi,
                int firstId);
    // Places, fonts and artwork again at `dpi`, each from its 96-DPI description.
    void SetDpi(UINT dpi);
    // Gives a control a new place at 96 DPI (within its parent window), kept
    // when the DPI changes later.
    void MoveAt96(Control& control, const RECT& placeAt96);
    UINT Dpi() const noexcept { return dpi_; }
    // Every control made from the table, in table order.
    const std::vector<Control*>& Controls() const noexcept { return controls_; }
    // The rows' hints, in table order, for the controls that have one.
    std::vector<std::pair<Control*, const wchar_t*>> Hints() const;

private:
    struct Entry {
        Control* control;
        ControlKind kind;
        RECT placeAt96;
        FontSpec font;
        unsigned flags;
        int artwork;
        const wchar_t* hint;
    };
    void Lay(const Entry& entry) const;

    FontCache& fonts_;
    ArtworkLoader loadArtwork_;
    UINT dpi_ = 96;
    std::vector<Entry> entries_;
    std::vector<Control*> controls_;
};

} // namespace mirulo::ui
