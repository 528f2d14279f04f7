#pragma once
// The game: a window of another program that has the keyboard when the player
// presses a key. A hot key reaches the program only once this window's thread
// has read the key, so the thread that made it keeps handling its messages
// (WaitUntil and PumpMessagesFor do).
#include <windows.h>

namespace mirulo::testkit {

class GameWindow {
public:
    // At `place` on the screen (left, top, right, bottom).
    explicit GameWindow(RECT place = {100, 100, 580, 420});
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;
    ~GameWindow();

    // A click into the game gives it the keyboard, as a player's click does.
    bool TakeTheKeyboard() const;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

} // namespace mirulo::testkit
