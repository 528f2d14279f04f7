#include "ui/ProgramCursor.h"

namespace mirulo::ui {
namespace {

// One UI thread: a plain variable is enough.
HCURSOR g_programCursor = nullptr;

} // namespace

ProgramCursor::ProgramCursor(const wchar_t* systemCursor) : previous_(g_programCursor) {
    g_programCursor = ::LoadCursorW(nullptr, systemCursor);
    ::SetCursor(g_programCursor);
}

ProgramCursor::~ProgramCursor() {
    g_programCursor = previous_;
    // Back to the default at once, not only after the pointer's next move.
    ::SetCursor(previous_ != nullptr ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW));
}

HCURSOR ProgramCursor::Current() noexcept {
    return g_programCursor;
}

} // namespace mirulo::ui
