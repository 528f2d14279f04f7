#include "ui/ControlTable.h"

#include <commctrl.h>
#include <imm.h>

#include <stdexcept>

#include "ui/Subclass.h"

namespace mirulo::ui {
namespace {

using namespace row_flags;

int ScaleBy(int pixelsAt96, UINT dpi) noexcept {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

struct WindowKind {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

WindowKind WindowKindOf(ControlKind kind, unsigned flags) {
    switch (kind) {
    case ControlKind::PushButton:
        return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::IconButton:
        return {WC_BUTTONW, WS_TABSTOP | BS_OWNERDRAW, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::RadioButton:
        return {WC_BUTTONW, BS_AUTORADIOBUTTON, 0};
    case ControlKind::GroupBox:
        return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::DropDownList:
        return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::ListBox:
        return {WC_LISTBOXW, WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case ControlKind::Edit:
        return {WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL | ((flags & kRightAligned) ? ES_RIGHT : 0u),
                WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        return {WC_STATICW,
                SS_NOPREFIX | ((flags & kCentred) ? SS_CENTER : SS_LEFT) |
                    ((flags & kClickable) ? SS_NOTIFY : 0u),
                0};
    case ControlKind::Picture:
        return {WC_STATICW, SS_OWNERDRAW, 0};
    case ControlKind::StatusBar:
        return {STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0};
    }
    throw std::logic_error("未知のコントロール種別です");
}

FontSpec FontOf(unsigned flags) {
    FontSpec font;
    if (flags & kHeading) {
        font.pixelHeight = 19;
    } else if (flags & kFont15) {
        font.pixelHeight = 15;
    } else if (flags & kFont12) {
        font.pixelHeight = 12;
    }
    font.underline = (flags & kUnderline) != 0;
    return font;
}

} // namespace

ControlTable::ControlTable(FontCache& fonts, ArtworkLoader loadArtwork)
    : fonts_(fonts), loadArtwork_(std::move(loadArtwork)) {}

void ControlTable::Create(std::span<const ControlRow> rows, std::span<const ControlContainer> containers,
                          UINT dpi, int firstId) {
    dpi_ = dpi != 0 ? dpi : 96;
    int nextId = firstId;
    for (const ControlRow& row : rows) {
        if (row.container < 0 || static_cast<std::size_t>(row.container) >= containers.size()) {
            throw std::logic_error("コントロールの親が範囲外です");
        }
        const ControlContainer& container = containers[static_cast<std::size_t>(row.container)];
        const int left = container.originAt96.x + row.x;
        const int top = container.originAt96.y + row.y;
        Entry entry{&row.control,
                    row.kind,
                    RECT{left, top, left + row.width, top + row.height},
                    row.font != nullptr ? *row.font : FontOf(row.flags),
                    row.flags,
                    row.artwork,
                    row.hint};

        WindowKind made = WindowKindOf(row.kind, row.flags);
        DWORD style = made.style | WS_CLIPSIBLINGS | ((row.flags & kHidden) ? 0u : WS_VISIBLE) |
                      ((row.flags & kDisabled) ? WS_DISABLED : 0u);
        if (row.flags & kNoTabStop) {
            style &= ~static_cast<DWORD>(WS_TABSTOP);
        }
        const RECT& at96 = entry.placeAt96;
        const RECT place{ScaleBy(at96.left, dpi_), ScaleBy(at96.top, dpi_), ScaleBy(at96.right, dpi_),
                         ScaleBy(at96.bottom, dpi_)};
        Control& control = row.control;
        control.Create(container.hwnd, made.windowClass, style, made.exStyle, row.caption, place, nextId++);

        if (row.flags & kWhiteBack) {
            control.backColor = RGB(255, 255, 255);
        }
        if (row.flags & kGrey) {
            control.textColor = RGB(128, 128, 128);
        }
        if (row.flags & kHandCursor) {
            UseHandCursor(control.hwnd());
        }
        if (row.flags & kImeOff) {
            ::ImmAssociateContextEx(control.hwnd(), nullptr, 0); // numbers only: no Japanese input
        }
        if (row.kind == ControlKind::Label && !(row.flags & kFixedSize)) {
            static_cast<Label&>(control).autoSize = true;
        }
        if (row.kind == ControlKind::GroupBox) {
            EraseWithParentBackground(control.hwnd());
        }
        Lay(entry);
        entries_.push_back(entry);
        controls_.push_back(&control);
    }
}

std::vector<std::pair<Control*, const wchar_t*>> ControlTable::Hints() const {
    std::vector<std::pair<Control*, const wchar_t*>> hints;
    for (const Entry& entry : entries_) {
        if (entry.hint != nullptr) {
            hints.emplace_back(entry.control, entry.hint);
        }
    }
    return hints;
}

void ControlTable::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == dpi_) {
        return;
    }
    dpi_ = dpi;
    for (const Entry& entry : entries_) {
        Lay(entry);
    }
}

void ControlTable::MoveAt96(Control& control, const RECT& placeAt96) {
    for (Entry& entry : entries_) {
        if (entry.control == &control) {
            entry.placeAt96 = placeAt96;
            const int left = ScaleBy(placeAt96.left, dpi_);
            const int top = ScaleBy(placeAt96.top, dpi_);
            ::SetWindowPos(control.hwnd(), nullptr, left, top, ScaleBy(placeAt96.right, dpi_) - left,
                           ScaleBy(placeAt96.bottom, dpi_) - top, SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
    }
    throw std::logic_error("表にないコントロールです");
}

void ControlTable::Lay(const Entry& entry) const {
    Control& control = *entry.control;
    const RECT& at96 = entry.placeAt96;
    const int left = ScaleBy(at96.left, dpi_);
    const int top = ScaleBy(at96.top, dpi_);
    ::SetWindowPos(control.hwnd(), nullptr, left, top, ScaleBy(at96.right, dpi_) - left,
                   ScaleBy(at96.bottom, dpi_) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    control.SetFont(fonts_.Get(entry.font, dpi_));
    if (entry.kind == ControlKind::Label && !(entry.flags & kFixedSize)) {
        static_cast<Label&>(control).FitToText();
    }
    if (entry.kind == ControlKind::ListBox) {
        ::SendMessageW(control.hwnd(), LB_SETITEMHEIGHT, 0, ScaleBy(17, dpi_));
    }
    if (entry.artwork != 0 && loadArtwork_) {
        loadArtwork_(control, entry.kind, entry.artwork, dpi_);
    }
}

} // namespace mirulo::ui
