#include "support/Desktop.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "support/Messages.h"
#include "support/TempFolder.h"

namespace mirulo::testkit {

namespace {

// One argument of a Windows command line, quoted so that Wine splits it back
// into exactly these characters.
std::wstring QuotedArgument(const std::wstring& text) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// Starts `script` in the Linux shell. Wine runs a Linux program from
// CreateProcessW but hands back no process to wait for: the handle is null and
// the thread handle is left as whatever lay on the stack, so neither is closed
// (closing it once closed this process's standard output).
bool StartShell(const std::wstring& script, std::wstring* why) {
    std::wstring command = L"\"Z:\\bin\\sh\" -c " + QuotedArgument(script);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        if (why) {
            *why = L"could not start " + command + L" (error " + std::to_wstring(::GetLastError()) + L")";
        }
        return false;
    }
    if (process.dwProcessId != 0) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return true;
}

std::wstring ProgramCommand(const char* program, const std::wstring& arguments) {
    std::wstring command = L"'";
    for (const char* p = program; *p != '\0'; ++p) {
        command.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    return command + L"' " + arguments;
}

} // namespace

std::optional<int> RunUnixProgram(const char* program, const std::wstring& arguments, std::wstring* why,
                                  DWORD timeoutMs) {
    if (program[0] == '\0') {
        if (why) {
            *why = L"the program is missing";
        }
        return std::nullopt;
    }
    // The shell writes the program's exit status into a file of its own once the
    // program has ended: the only end this side can see.
    static int runs = 0;
    const std::string status =
        "/tmp/mirulo-unix-run-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++runs);
    const std::wstring statusFile = BuildTreePath(status.c_str());
    const std::wstring statusName(status.begin(), status.end());
    ::DeleteFileW(statusFile.c_str());
    if (!StartShell(ProgramCommand(program, arguments) + L"; echo $? > '" + statusName + L".part' && mv '" +
                        statusName + L".part' '" + statusName + L"'",
                    why)) {
        return std::nullopt;
    }
    if (!WaitUntil([&] { return ::GetFileAttributesW(statusFile.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   timeoutMs)) {
        if (why) {
            *why = ProgramCommand(program, arguments) + L" did not end within " + std::to_wstring(timeoutMs) +
                   L" ms";
        }
        return std::nullopt;
    }
    const int code = std::atoi(ReadFileBytes(statusFile).c_str());
    ::DeleteFileW(statusFile.c_str());
    if (code != 0 && why) {
        *why = ProgramCommand(program, arguments) + L" ended with status " + std::to_wstring(code);
    }
    return code;
}

bool StartUnixProgram(const char* program, const std::wstring& arguments, std::wstring* why) {
    if (program[0] == '\0') {
        if (why) {
            *why = L"the program is missing";
        }
        return false;
    }
    return StartShell(ProgramCommand(program, arguments) + L" >/dev/null 2>&1 &", why);
}

bool XDoTool(const std::wstring& arguments, std::wstring* why) {
    return RunUnixProgram(MIRULO_XDOTOOL, arguments, why) == 0;
}

bool XDoToolInBackground(const std::wstring& arguments, std::wstring* why) {
    return StartUnixProgram(MIRULO_XDOTOOL, arguments, why);
}

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    ::GetClassNameW(hwnd, name, 128);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct Shown {
    HWND hwnd;
    DWORD process;
    std::wstring className;
    RECT rect;
};

// Every visible window, top-level or docked inside another (the tray's icons
// are children of the tray program's foreign window).
std::vector<Shown> VisibleWindows() {
    std::vector<Shown> found;
    const auto add = [](HWND hwnd, LPARAM lParam) -> BOOL {
        if (::IsWindowVisible(hwnd)) {
            Shown window{hwnd, 0, ClassOf(hwnd), {}};
            ::GetWindowThreadProcessId(hwnd, &window.process);
            ::GetWindowRect(hwnd, &window.rect);
            reinterpret_cast<std::vector<Shown>*>(lParam)->push_back(window);
        }
        return TRUE;
    };
    ::EnumWindows(add, reinterpret_cast<LPARAM>(&found));
    const std::size_t topLevels = found.size();
    for (std::size_t i = 0; i < topLevels; ++i) {
        if (found[i].className == L"__wine_x11_foreign_window") {
            ::EnumChildWindows(found[i].hwnd, add, reinterpret_cast<LPARAM>(&found));
        }
    }
    return found;
}

} // namespace

bool ClickAt(LONG x, LONG y) {
    return XDoTool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" click 1");
}

bool ClickOn(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

RECT PlaceInParent(HWND hwnd) {
    RECT place{};
    ::GetWindowRect(hwnd, &place);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > end) {
            return false;
        }
        // The test's own windows (a stand-in for the game) keep answering meanwhile.
        PumpMessages();
        ::Sleep(50);
    }
    return true;
}

std::vector<std::wstring> FilesEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*" + suffix).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(data.cFileName);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return names;
}

HWND FindMessageBox(DWORD processId) {
    for (const Shown& w : VisibleWindows()) {
        if (w.process == processId && w.className == L"#32770") {
            return w.hwnd;
        }
    }
    return nullptr;
}

std::wstring MessageBoxText(HWND box) {
    // The message is the box's static control that is not its icon.
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && ::GetWindowTextLengthW(child) > 0) {
            return TextOf(child);
        }
    }
    return L"";
}

void AnswerMessageBox(HWND box, int id) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

std::optional<int> AnswerEveryMessageBox(DWORD processId, int id, DWORD timeoutMs) {
    std::vector<HWND> seen;
    ULONGLONG lastAnswer = 0;
    HWND lastBox = nullptr;
    const bool closed = WaitUntil(
        [&] {
            const HWND box = FindMessageBox(processId);
            if (box == nullptr) {
                return true;
            }
            if (std::find(seen.begin(), seen.end(), box) == seen.end()) {
                seen.push_back(box);
            }
            // The same box answered again while it stays: a busy machine may take
            // its time over the first answer.
            if (box != lastBox || ::GetTickCount64() - lastAnswer >= 1000) {
                AnswerMessageBox(box, id);
                lastAnswer = ::GetTickCount64();
                lastBox = box;
            }
            return false;
        },
        timeoutMs);
    return closed ? std::optional<int>(static_cast<int>(seen.size())) : std::nullopt;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindControl(HWND parent, const wchar_t* windowClass, const std::wstring& caption) {
    for (HWND child : Descendants(parent)) {
        if (_wcsicmp(ClassOf(child).c_str(), windowClass) == 0 && TextOf(child) == caption) {
            return child;
        }
    }
    return nullptr;
}

HWND ControlAt(HWND window, const wchar_t* windowClass, int left, int top) {
    const int dpi = static_cast<int>(::GetDpiForWindow(window));
    for (HWND child : Descendants(window)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        if (_wcsicmp(ClassOf(child).c_str(), windowClass) == 0 && r.left == ::MulDiv(left, dpi, 96) &&
            r.top == ::MulDiv(top, dpi, 96)) {
            return child;
        }
    }
    return nullptr;
}

std::optional<RECT> DockedTrayIcon(DWORD ourProcess) {
    for (const Shown& w : VisibleWindows()) {
        const HWND parent = ::GetAncestor(w.hwnd, GA_PARENT);
        if (w.process == ourProcess || w.className != L"__winex11_tray_icon" ||
            parent == ::GetDesktopWindow()) {
            continue;
        }
        // Just docked, the icon still reports where it was before; it is clickable
        // once it sits inside the tray's window.
        RECT tray{}, inside{};
        ::GetWindowRect(parent, &tray);
        if (::IntersectRect(&inside, &tray, &w.rect) && ::EqualRect(&inside, &w.rect)) {
            return w.rect;
        }
    }
    return std::nullopt;
}

std::wstring DescribeVisibleWindows() {
    std::wstring text;
    for (const Shown& w : VisibleWindows()) {
        text += w.className + L" pid " + std::to_wstring(w.process) + L" at " + std::to_wstring(w.rect.left) +
                L"," + std::to_wstring(w.rect.top) + L" " + std::to_wstring(w.rect.right - w.rect.left) +
                L"x" + std::to_wstring(w.rect.bottom - w.rect.top) + L"\n";
    }
    return text;
}

bool KeepScreenshot(const std::wstring& name) {
    const std::wstring windowsFolder = BuildTreePath(MIRULO_SCREENS_DIR);
    ::CreateDirectoryW(windowsFolder.c_str(), nullptr);
    const std::wstring file = windowsFolder + L"\\" + name + L".png";
    ::DeleteFileW(file.c_str());
    // import is a Linux program: it takes the Linux path (the build tree's is ASCII).
    std::wstring folder;
    for (const char* p = MIRULO_SCREENS_DIR; *p != '\0'; ++p) {
        folder.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    return RunUnixProgram(MIRULO_IMPORT, L"-window root '" + folder + L"/" + name + L".png'", nullptr) == 0 &&
           WaitUntil([&] { return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

} // namespace mirulo::testkit
