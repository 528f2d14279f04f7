#pragma once
// The game started together with this program: the program the user chose is
// started through the shell at start-up unless a game client already runs.
// Only the two client process names count as "running"; a launcher or the
// assist tool does not.
#include <windows.h>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Host.h"

namespace mirulo::integration {

// Where the game and the assist tool install themselves by default, in the order
// the chooser looks for them.
inline constexpr std::array<std::wstring_view, 3> kDefaultGamePrograms = {
    L"C:\\Program Files (x86)\\Electronic Arts\\Ultima Online Enhanced\\uopatch.exe",
    L"C:\\Program Files (x86)\\UOAssist\\UOAssist.exe",
    L"C:\\Program Files (x86)\\Electronic Arts\\Ultima Online 2D\\UO.exe",
};

// True for exactly "client.exe" and "UOSA.exe", letter case included.
bool IsGameClientProcessName(std::wstring_view exeFile);

// True while a game client process runs. A process list that cannot be taken
// or read counts as no client.
bool IsGameClientRunning();

class GameClient {
public:
    GameClient(platform::Host& host, HWND owner);

    // Starts the program through the shell as it is, not waiting and not looking
    // at the result. False, with nothing started, when the file does not exist.
    bool Start(const std::wstring& programPath);

    // The folder the chooser opens in: the chosen program's folder, else the
    // folder of the first default program that exists, else "C:\".
    static std::wstring ChooserFolder(std::wstring_view chosenPath,
                                      std::span<const std::wstring_view> defaults = kDefaultGamePrograms);

    // The open-file dialog for any ".exe"; the picked full path, or nullopt when
    // cancelled.
    std::optional<std::wstring> Choose(std::wstring_view chosenPath,
                                       std::span<const std::wstring_view> defaults = kDefaultGamePrograms);

private:
    platform::Host& host_;
    HWND owner_;
};

} // namespace mirulo::integration
