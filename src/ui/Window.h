#pragma once
// Base of every top-level and container window we register. It only dispatches:
// it takes `this` from lpCreateParams, owns the HWND, unpacks each message once
// into a named handler, and lets no exception cross the window procedure.
#include <windows.h>

#include <map>
#include <string>

#include "platform/Host.h"

namespace mirulo::ui {

class Timer;

class Window {
public:
    explicit Window(platform::Host& host) : host_(host) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const noexcept { return hwnd_; }
    platform::Host& host() const noexcept { return host_; }
    // Dots per inch of the window's monitor (96 on a 100% display). After a
    // WM_DPICHANGED it is the DPI that message announced, so a layout done in
    // its handler already uses the new scale.
    UINT dpi() const noexcept;
    int Scale(int pixelsAt96) const noexcept;

    void RegisterTimer(Timer& timer);
    void UnregisterTimer(Timer& timer);

protected:
    // Registers the class once per process; the window procedure is ours.
    static void RegisterWindowClass(const wchar_t* className, UINT style, HCURSOR cursor, HBRUSH background,
                                    HICON icon, HICON smallIcon);
    void CreateHwnd(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                    int width, int height, HWND parent);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Named handlers. Returning false from a bool handler lets the default
    // processing run.
    virtual void OnCreate() {}
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    virtual void OnNcDestroy() {}
    virtual bool OnSysCommand(WPARAM /*command*/) { return false; }
    virtual void OnSize(UINT /*kind*/, int /*width*/, int /*height*/) {}
    virtual void OnShowWindow(bool /*shown*/) {}
    virtual bool OnGetMinMaxInfo(MINMAXINFO& /*info*/) { return false; }
    virtual void OnHotKey(int /*id*/, UINT /*virtualKey*/) {}
    virtual bool OnPaint() { return false; }
    virtual bool OnEraseBackground(HDC /*dc*/) { return false; }
    virtual bool OnMouseDown(UINT /*message*/, WPARAM /*keys*/, int /*x*/, int /*y*/) { return false; }
    virtual bool OnSetCursor(HWND /*hit*/, UINT /*hitTest*/) { return false; }
    virtual void OnDpiChanged(UINT /*dpi*/, const RECT& /*suggested*/) {}
    // Background brush for a child control that lets this window's surface show
    // through (see-through labels, check boxes on a gradient); nullptr: system colours.
    virtual HBRUSH ChildBackground(HDC /*dc*/, HWND /*child*/) { return nullptr; }
    // Any other message; return true when handled, with the result in `result`.
    virtual bool OnOtherMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    platform::Host& host_;
    HWND hwnd_ = nullptr;
    UINT announcedDpi_ = 0;
    // A paint that failed has been reported; its retries stay silent until a paint succeeds.
    bool paintFailureShown_ = false;
    std::map<UINT_PTR, Timer*> timers_;
};

} // namespace mirulo::ui
