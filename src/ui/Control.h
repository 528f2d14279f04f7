#pragma once
// Thin wrappers over the standard controls, with the semantics our handlers are
// written for: setting `Checked` from code runs the click handler exactly as a
// user's click would when the state changes; setting a list's ItemIndex from
// code runs nothing. A control finds its wrapper through a window property, so
// the parent reflects notifications to it without a lookup table.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Handles.h"
#include "ui/MouseDownForwarder.h"

namespace mirulo::ui {

class Control {
public:
    explicit Control(std::wstring name) : name_(std::move(name)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    const std::wstring& name() const noexcept { return name_; }
    HWND hwnd() const noexcept { return hwnd_; }
    static Control* FromHwnd(HWND hwnd) noexcept;

    // Creates the window of this control. `place` is already in device pixels.
    void Create(HWND parent, const wchar_t* windowClass, DWORD style, DWORD exStyle, std::wstring_view text,
                const RECT& place, int id);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    std::wstring Caption() const;
    void SetCaption(std::wstring_view text);
    void SetFont(HFONT font);
    void BringToFront();
    void SendToBack();

    // Pop-up hint text and whether it is shown.
    std::wstring hint;
    bool showHint = false;

    // Colours; CLR_INVALID keeps the system's text colour, and a see-through
    // control without a back colour shows its parent's surface.
    COLORREF textColor = CLR_INVALID;
    COLORREF backColor = CLR_INVALID;
    void SetTextColor(COLORREF color);
    void SetBackColor(COLORREF color);
    // Labels, check boxes, radio buttons and group boxes sit on the page's
    // gradient without a box of their own.
    virtual bool SeeThrough() const { return false; }

    // Notifications reflected by the parent window. Return true when handled.
    virtual bool OnCommand(WORD /*code*/) { return false; }
    virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    // Colours for WM_CTLCOLOR*; nullptr asks the parent (see-through) or keeps the system's.
    virtual HBRUSH OnControlColor(HDC dc);
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }

protected:
    void Attach(HWND hwnd);
    // Runs once the window exists, for wrappers that need to hook into it.
    virtual void OnCreated() {}

private:
    std::wstring name_;
    HWND hwnd_ = nullptr;
    platform::UniqueBrush backBrush_;
};

class Button : public Control {
public:
    using Control::Control;
    std::function<void()> OnClick;
    void Click(); // as a user's click
    bool OnCommand(WORD code) override;
};

class CheckBox : public Control {
public:
    using Control::Control;
    bool SeeThrough() const override { return true; }
    std::function<void()> OnClick;
    bool Checked() const;
    void SetChecked(bool checked); // runs nothing
    void Click();                  // as a user's click: the state turns over and OnClick runs
    bool OnCommand(WORD code) override;
};

// Radio buttons of one container form a group: checking one unchecks the rest.
class RadioButton : public Control {
public:
    using Control::Control;
    bool SeeThrough() const override { return true; }
    std::function<void()> OnClick;
    bool Checked() const;
    // Checking unchecks the rest of the group; neither runs OnClick.
    void SetChecked(bool checked);
    void Click(); // as a user's click: this one is chosen and OnClick runs
    void JoinGroup(std::vector<RadioButton*>* group) { group_ = group; }
    bool OnCommand(WORD code) override;

private:
    std::vector<RadioButton*>* group_ = nullptr;
};

class ComboBox : public Control {
public:
    using Control::Control;
    std::function<void()> OnChange; // the user picked an entry
    void Clear();
    void Add(std::wstring_view item);
    int Count() const;
    std::wstring Item(int index) const;
    int ItemIndex() const; // -1 without a selection
    // Selects without running OnChange; an index outside the list clears the selection.
    void SetItemIndex(int index);
    bool OnCommand(WORD code) override;
};

class ListBox : public Control {
public:
    using Control::Control;
    std::function<void()> OnClick;    // selection changed by the user
    std::function<void()> OnDblClick; // double-click
    // A mouse button went down on the list (WM_LBUTTONDOWN, WM_RBUTTONDOWN or
    // WM_MBUTTONDOWN), after the list's own handling of the press.
    std::function<void(UINT message)> OnMouseDown;
    void Clear();
    void Reserve(std::size_t count);
    void Add(std::wstring_view item);
    void Insert(int index, std::wstring_view item);
    void Delete(int index);
    void SetItem(int index, std::wstring_view item);
    int Count() const;
    std::wstring Item(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index); // runs nothing
    void SetRedraw(bool redraw);
    bool OnCommand(WORD code) override;

protected:
    void OnCreated() override;

private:
    MouseDownForwarder presses_;
};

class Edit : public Control {
public:
    using Control::Control;
    std::function<void()> OnExit;       // the field lost the keyboard focus
    std::function<void()> OnMouseLeave; // the pointer left the field
    bool OnCommand(WORD code) override;
    void ForwardMouseLeave();

protected:
    void OnCreated() override;

private:
    static constexpr WORD kMouseLeaveNotification = 0x7F02;
};

// Text label (STATIC, with SS_NOTIFY when it takes clicks). An auto-size label
// grows and shrinks with its text from its top-left corner, so a caption never
// gets cut off whatever the font.
class Label : public Control {
public:
    using Control::Control;
    std::function<void()> OnClick;
    // A mouse button went down on the label (WM_LBUTTONDOWN, WM_RBUTTONDOWN or
    // WM_MBUTTONDOWN). A disabled label gets no presses: the system sends it no
    // mouse input.
    std::function<void(UINT message)> OnMouseDown;
    bool autoSize = false;
    bool SeeThrough() const override { return true; }
    bool OnCommand(WORD code) override;
    void SetCaption(std::wstring_view text);
    void FitToText();

protected:
    void OnCreated() override;

private:
    MouseDownForwarder presses_;
};

class GroupBox : public Control {
public:
    using Control::Control;
    bool SeeThrough() const override { return true; }
};

// Status bar with one panel across its whole width.
class StatusBar : public Control {
public:
    using Control::Control;
    void SetupSinglePanel();
    std::wstring Text() const;
    void SetText(std::wstring_view text);
};

} // namespace mirulo::ui
