// Plays the player's first session with an unzipped release, inside the fresh
// Wine prefix that tests/release/fresh-prefix-test made: start the program,
// choose the picture folder in the folder browser, capture the full screen with
// its button, play the default sound with the test button, close. Every window
// the program shows that the step did not ask for (an error box, a notice) ends
// the run with its text. Prints one line per step; exit code 0 when all passed.
//
// usage: mirulo_release_driver MIRULO.EXE PICTURE-FOLDER (a folder on the desktop)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

DWORD g_process = 0;

void Say(const std::wstring& text) {
    // The console of a test runner reads UTF-8.
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::printf("driver: %s\n", bytes.c_str());
    std::fflush(stdout);
}

[[noreturn]] void Fail(const std::wstring& text) {
    Say(L"FAILED: " + text);
    std::exit(1);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    ::GetClassNameW(hwnd, name, 128);
    return name;
}

std::vector<HWND> TopWindows(const std::wstring& windowClass) {
    struct Search {
        std::wstring windowClass;
        std::vector<HWND> found;
    } search{windowClass, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == g_process && ::IsWindowVisible(hwnd) && ClassOf(hwnd) == s->windowClass) {
                s->found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
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

// The whole text of a dialog box: its caption and every static text in it.
std::wstring DialogText(HWND dialog) {
    std::wstring text = L"[" + TextOf(dialog) + L"]";
    for (HWND child : Descendants(dialog)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !TextOf(child).empty()) {
            text += L" " + TextOf(child);
        }
    }
    return text;
}

HWND WaitFor(const std::function<HWND()>& find, DWORD ms) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    do {
        if (HWND found = find()) {
            return found;
        }
        ::Sleep(100);
    } while (::GetTickCount64() < until);
    return nullptr;
}

// Nothing but the main window may be up: any dialog box is an unexpected message.
void ExpectNoDialog(const wchar_t* when) {
    for (HWND dialog : TopWindows(L"#32770")) {
        Fail(std::wstring(L"unexpected message ") + when + L": " + DialogText(dialog));
    }
}

HWND Control(HWND main, const std::wstring& caption, std::size_t index = 0) {
    std::vector<HWND> found;
    for (HWND child : Descendants(main)) {
        if (TextOf(child) == caption) {
            found.push_back(child);
        }
    }
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    if (found.size() <= index) {
        Fail(L"no control captioned " + caption);
    }
    return found[index];
}

// The picture button right under a section heading of the same page.
HWND ButtonUnder(HWND heading) {
    RECT below{};
    ::GetWindowRect(heading, &below);
    HWND best = nullptr;
    LONG bestTop = LONG_MAX;
    for (HWND child : Descendants(::GetParent(heading))) {
        RECT r{};
        ::GetWindowRect(child, &r);
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && r.top > below.top && r.top < bestTop) {
            best = child;
            bestTop = r.top;
        }
    }
    if (best == nullptr) {
        Fail(L"no button under " + TextOf(heading));
    }
    return best;
}

// A picture button acts when the mouse button goes down on it.
void Press(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

// What a click on a push button tells its parent. (BM_CLICK would go through
// the button's mouse capture, which a window that has just got the activation
// back from a dialog box may lose before the button comes up.)
void Click(HWND button) {
    ::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

std::vector<std::wstring> Files(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(data.cFileName);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return names;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        Fail(L"usage: mirulo_release_driver MIRULO.EXE PICTURE-FOLDER");
    }
    const std::wstring exe = argv[1];
    const std::wstring pictures = argv[2];
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        Fail(L"cannot start " + exe);
    }
    g_process = process.dwProcessId;
    HWND main = WaitFor(
        [] {
            const auto found = TopWindows(L"Tfm_Mirulo");
            return found.empty() ? nullptr : found.front();
        },
        90000);
    if (main == nullptr) {
        Fail(L"the main window did not appear");
    }
    ::Sleep(1500);
    ExpectNoDialog(L"at the first start");
    HWND status = nullptr;
    for (HWND child : Descendants(main)) {
        if (ClassOf(child) == L"msctls_statusbar32") {
            status = child;
        }
    }
    if (status == nullptr ||
        TextOf(status).find(L"[保存先フォルダ]が未設定か存在しません") == std::wstring::npos) {
        Fail(L"the first start does not ask for the save folder in the status bar: " +
             (status ? TextOf(status) : L"(no status bar)"));
    }
    Say(L"started; the status bar asks for the save folder");

    // The folder browser: the path typed into its edit field, then OK.
    if (!::CreateDirectoryW(pictures.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        Fail(L"cannot make " + pictures);
    }
    Press(ButtonUnder(Control(main, L"■保存先フォルダ")));
    HWND browser = WaitFor(
        [] {
            const auto found = TopWindows(L"#32770");
            return found.empty() ? nullptr : found.front();
        },
        20000);
    if (browser == nullptr) {
        Fail(L"the folder browser did not open");
    }
    ::Sleep(500);
    // Wine's browser takes the folder selected in its tree, not a typed path: the
    // folders under the desktop are walked until the edit field, which follows
    // the selection, shows the one wanted (tree items are handles, usable from
    // this process; their texts are not).
    HWND edit = nullptr;
    HWND tree = nullptr;
    for (HWND child : Descendants(browser)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Edit") == 0) {
            edit = child;
        } else if (_wcsicmp(ClassOf(child).c_str(), WC_TREEVIEWW) == 0) {
            tree = child;
        }
    }
    if (edit == nullptr || tree == nullptr) {
        Fail(L"the folder browser has no tree or no edit field: " + DialogText(browser));
    }
    const std::wstring leaf = pictures.substr(pictures.find_last_of(L'\\') + 1);
    const auto root = static_cast<LPARAM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    auto item = static_cast<LPARAM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, root));
    bool found = false;
    while (item != 0 && !found) {
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
        ::Sleep(200);
        found = TextOf(edit) == leaf;
        if (!found) {
            item = static_cast<LPARAM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item));
        }
    }
    if (!found) {
        Fail(L"the folder browser does not list " + leaf + L" on the desktop");
    }
    ::PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(browser, IDOK)));
    if (!WaitFor([browser] { return ::IsWindow(browser) ? nullptr : HWND(1); }, 10000)) {
        Fail(L"the folder browser did not close");
    }
    ::Sleep(1000);
    ExpectNoDialog(L"after choosing the folder");
    if (TextOf(status).find(L"未設定") != std::wstring::npos) {
        Fail(L"the chosen folder was not taken: " + TextOf(status));
    }
    Say(L"chose " + pictures + L"; status bar: " + TextOf(status));

    // The full-screen group's "今すぐ" is the third of the three, top to bottom.
    Click(Control(main, L"今すぐ", 2));
    std::vector<std::wstring> shots;
    WaitFor(
        [&] {
            shots = Files(pictures);
            return shots.empty() ? nullptr : HWND(1);
        },
        20000);
    ::Sleep(1000);
    ExpectNoDialog(L"after the capture");
    shots = Files(pictures);
    if (shots.size() != 1 || !shots.front().ends_with(L"_全B.png")) {
        Fail(L"expected one full-screen capture in the chosen folder, found " +
             std::to_wstring(shots.size()) + L"; status bar: " + TextOf(status));
    }
    Say(L"captured " + shots.front());

    Click(Control(main, L"再生"));
    ::Sleep(3000);
    ExpectNoDialog(L"after playing the sound");
    Say(L"played the default sound");

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        ExpectNoDialog(L"while closing");
        Fail(L"the program did not end after its window was closed");
    }
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (code != 0) {
        Fail(L"the program ended with code " + std::to_wstring(code));
    }
    Say(L"closed");
    return 0;
}
