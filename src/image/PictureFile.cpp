#include "image/PictureFile.h"

#include "image/JpegReader.h"
#include "image/PngReader.h"

namespace mirulo::image {
namespace {

bool StartsAsPng(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

bool StartsAsJpeg(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

} // namespace

Image DecodePicture(const std::vector<std::uint8_t>& bytes) {
    if (StartsAsPng(bytes)) {
        return DecodePng(bytes);
    }
    if (StartsAsJpeg(bytes)) {
        return DecodeJpeg(bytes);
    }
    throw CodecError("この画像形式は表示できません (PNG または JPEG ではありません)");
}

std::wstring UndecodableReason(const std::vector<std::uint8_t>& bytes) {
    if (StartsAsPng(bytes)) {
        return L"PNG 画像として読めません。ファイルが壊れているか、途中で切れています。";
    }
    if (StartsAsJpeg(bytes)) {
        return L"JPEG 画像として読めません。ファイルが壊れているか、途中で切れています。";
    }
    return L"PNG または JPEG の画像ではありません。";
}

} // namespace mirulo::image
