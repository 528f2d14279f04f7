#pragma once
// What an end-to-end test does on the display as a user would: type and click
// with xdotool, wait for files and windows, find the program's icon in the
// display's tray, answer its message boxes and keep a picture of the screen.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mirulo::testkit {

// Runs a Linux program (its Linux path; `arguments` as the Linux shell reads
// them) and waits until it has ended, handling this thread's messages meanwhile.
// Returns its exit status, or nothing (and the reason in `why`) when it is
// missing, cannot start or does not end within `timeoutMs`.
std::optional<int> RunUnixProgram(const char* program, const std::wstring& arguments,
                                  std::wstring* why = nullptr, DWORD timeoutMs = 60000);
// Starts a Linux program and returns at once, for input that goes on while the
// test acts (a key held down).
bool StartUnixProgram(const char* program, const std::wstring& arguments, std::wstring* why = nullptr);

// Runs xdotool with `arguments` on the test display and waits for it to finish:
// what it typed or clicked has reached the display when this returns. Returns
// false (and the reason in `why`) when xdotool is missing, fails or hangs.
bool XDoTool(const std::wstring& arguments, std::wstring* why = nullptr);
// Starts xdotool and returns at once.
bool XDoToolInBackground(const std::wstring& arguments, std::wstring* why = nullptr);
// A left click at a point of the screen.
bool ClickAt(LONG x, LONG y);
// A left click in the middle of a window's rectangle on the screen.
bool ClickOn(HWND window);

// Waits up to `timeoutMs` for `condition`, looking every 50 ms and handling this
// thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The names in `folder` that end in `suffix` ("_全K.png"), in the order the file system lists them.
std::vector<std::wstring> FilesEndingIn(const std::wstring& folder, const std::wstring& suffix);

// A visible dialog (#32770) of the process, or null.
HWND FindMessageBox(DWORD processId);
// The text of a message box's message.
std::wstring MessageBoxText(HWND box);
// Presses the box's button `id` (IDOK, IDYES, ...) as a click would.
void AnswerMessageBox(HWND box, int id);
// Answers the process's boxes with `id` until none is open. Returns how many
// distinct boxes were open meanwhile (0 when none was), or nothing when one
// still is after `timeoutMs`.
std::optional<int> AnswerEveryMessageBox(DWORD processId, int id, DWORD timeoutMs = 10000);

// A window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND hwnd);

// Every child window of `parent`, at any depth.
std::vector<HWND> Descendants(HWND parent);

// A child window (at any depth) of `parent` with this class and caption.
HWND FindControl(HWND parent, const wchar_t* windowClass, const std::wstring& caption);

// The control of `windowClass` (at any depth below `window`) whose top-left
// corner sits at (left, top) of its parent's client area at 96 DPI, scaled to
// the window's DPI: how a test finds the controls that show no caption.
HWND ControlAt(HWND window, const wchar_t* windowClass, int left, int top);

// Where the display's tray shows the icon of another process than `ourProcess`
// (the shell's icon windows belong to Wine's explorer), once it is docked inside
// the tray's window and can be clicked.
std::optional<RECT> DockedTrayIcon(DWORD ourProcess);
// Every visible top-level window and docked icon, one per line, for a failure message.
std::wstring DescribeVisibleWindows();

// Keeps the whole screen as build/screens/<name>.png for a person to look at.
bool KeepScreenshot(const std::wstring& name);

} // namespace mirulo::testkit
