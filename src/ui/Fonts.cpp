#include "ui/Fonts.h"

#include <stdexcept>

namespace mirulo::ui {

HFONT FontCache::Get(const FontSpec& spec, UINT dpi) {
    auto key = std::make_pair(spec, dpi);
    const auto found = fonts_.find(key);
    if (found != fonts_.end()) {
        return found->second.get();
    }
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(spec.pixelHeight, static_cast<int>(dpi), 96);
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = spec.underline ? TRUE : FALSE;
    lf.lfCharSet = spec.charset;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
    platform::UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) {
        throw std::runtime_error("フォントを作成できません");
    }
    HFONT handle = font.get();
    fonts_.emplace(std::move(key), std::move(font));
    return handle;
}

} // namespace mirulo::ui
