#include "library/PictureEditor.h"

#include "integration/ShellOperations.h"
#include "library/PictureFolder.h"
#include "ui/Dispatch.h"

namespace mirulo::library {

std::wstring EditorProgram(const EditorChoice& choice) {
    if (choice.paint) {
        return kPaint;
    }
    if (choice.program.empty()) {
        return {};
    }
    const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(choice.program).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return choice.program;
    }
    return {};
}

void OpenPictureInEditor(platform::Host& host, HWND owner, const std::wstring& picturePath,
                         const EditorChoice& choice, std::wstring_view missingEditorMessage) {
    const std::wstring program = EditorProgram(choice);
    if (program.empty()) {
        host.ShowMessage(owner, missingEditorMessage, ui::kApplicationTitle, MB_OK);
        return;
    }
    integration::OpenInEditor(host, owner, program, picturePath);
}

} // namespace mirulo::library
