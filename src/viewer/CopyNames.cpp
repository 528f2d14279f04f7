#include "viewer/CopyNames.h"

namespace mirulo::viewer {
namespace {

// Suffixes are compared by their last 7 UTF-16 units: "-モノ.png" and friends.
constexpr std::size_t kSuffixLength = 7;

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return lower;
}

} // namespace

std::optional<std::wstring> CopyTargetPath(std::wstring_view source, CopyKind kind) {
    const std::size_t dot = source.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        return std::nullopt;
    }
    const std::wstring extension = LowerAscii(source.substr(dot));
    if (extension != L".jpg" && extension != L".png") {
        return std::nullopt;
    }
    std::wstring target(source.substr(0, dot));
    target += kind == CopyKind::Grey ? L"-モノ" : L"-セピ";
    target += extension;
    if (source.size() >= kSuffixLength &&
        source.substr(source.size() - kSuffixLength) ==
            std::wstring_view(target).substr(target.size() - kSuffixLength)) {
        return std::nullopt;
    }
    return target;
}

} // namespace mirulo::viewer
