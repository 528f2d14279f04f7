#pragma once
// A picture opened in the image editor the user chose: Paint, or a program of
// their own.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Host.h"

namespace mirulo::library {

inline constexpr wchar_t kPaint[] = L"mspaint";

struct EditorChoice {
    bool paint = true;    // "ペイント" is selected
    std::wstring program; // the chosen program's full path, for "任意"
};

// The program to start: "mspaint" for Paint, else the chosen program when its
// file exists; empty when there is none.
std::wstring EditorProgram(const EditorChoice& choice);

// Starts the editor on the picture through the shell (the path unquoted as the
// parameters, the picture's folder as the working folder), or shows
// `missingEditorMessage` when there is no program. Whether the picture exists
// is the editor's business.
void OpenPictureInEditor(platform::Host& host, HWND owner, const std::wstring& picturePath,
                         const EditorChoice& choice, std::wstring_view missingEditorMessage);

} // namespace mirulo::library
