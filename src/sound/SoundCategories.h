#pragma once
// The tree of capture sounds beside the executable: "mp3", holding one folder
// per category. The user fills it; the program only reads it. The folder names
// are also the captions of the category boxes, and the build makes the same
// folders beside the program it produces.
#include <array>
#include <cstddef>

namespace mirulo::sound {

inline constexpr wchar_t kSoundTreeFolder[] = L"mp3";

inline constexpr std::size_t kCategoryCount = 10;

// In the order of the boxes chkRND01 ... chkRND10.
inline constexpr std::array<const wchar_t*, kCategoryCount> kCategoryFolders = {
    L"撮影声系1秒", L"撮影声系2秒", L"撮影声系3秒",    L"撮影声系ロング", L"セリフ系1秒",
    L"セリフ系2秒", L"セリフ系3秒", L"セリフ系ロング", L"お気に入り",     L"効果音",
};

// The files a category lists.
inline constexpr wchar_t kSoundPattern[] = L"*.mp3";

} // namespace mirulo::sound
