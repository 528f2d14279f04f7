#include "ui/Fonts.h"

#include <stdexcept>

namespace mirulo::ui {

HFONT FontCache::Get(const FontSpec& description, UINT dpi) {
    auto key = std::make_pair(description, dpi);
    const auto found = fonts_.find(key);
    if (found != fonts_.end()) {
        return found->second.get();
    }
    LOGFONTW lf{};
    // Rounded down, not to the nearest pixel: a caption that just fills its
    // label at 96 DPI (four 15-pixel characters in 60 pixels) must still fit
    // when the label's width is scaled, which a 22.5-pixel font taken as 23 does
    // not (92 pixels in 90 at 150 %).
    lf.lfHeight = -static_cast<LONG>(description.pixelHeight * static_cast<int>(dpi) / 96);
    lf.lfWeight = description.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = description.underline ? TRUE : FALSE;
    lf.lfCharSet = description.charset;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, description.face.c_str(), LF_FACESIZE);
    platform::UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) {
        throw std::runtime_error("フォントを作成できません");
    }
    HFONT handle = font.get();
    fonts_.emplace(std::move(key), std::move(font));
    return handle;
}

} // namespace mirulo::ui
