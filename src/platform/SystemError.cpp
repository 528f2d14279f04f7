#include "platform/SystemError.h"

#include "platform/Wide.h"

namespace mirulo::platform {

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"エラー " + std::to_wstring(code);
    }
    return text;
}

UserError::UserError(std::wstring_view message) : std::runtime_error(Narrow(message)) {}

void ThrowLastError(std::wstring_view what) {
    const DWORD code = ::GetLastError();
    std::wstring message(what);
    message += L"\r\n";
    message += SystemMessage(code);
    throw UserError(message);
}

} // namespace mirulo::platform
