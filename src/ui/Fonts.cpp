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
    lf.lfHeight = -::MulDiv(description.pixelHeight, static_cast<int>(dpi), 96);
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
