#pragma once
// One pointer shape for every window of the program while the object lives, as
// the range picker wants its cross to stay whatever lies under the pointer
// (the main window, a message box of ours). Nested objects stack; the last one
// destroyed gives the windows their own pointers back.
#include <windows.h>

namespace mirulo::ui {

class ProgramCursor {
public:
    explicit ProgramCursor(const wchar_t* systemCursor);
    ProgramCursor(const ProgramCursor&) = delete;
    ProgramCursor& operator=(const ProgramCursor&) = delete;
    ~ProgramCursor();

    // The shape every window shows now, or nullptr when each shows its own.
    static HCURSOR Current() noexcept;

private:
    HCURSOR previous_ = nullptr;
};

} // namespace mirulo::ui
