#include "capture/CaptureService.h"

#include <exception>
#include <utility>
#include <vector>

#include "capture/CaptureFiles.h"
#include "capture/ClipboardSession.h"
#include "capture/DesktopSnapshot.h"
#include "image/JpegWriter.h"
#include "image/PngWriter.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::capture {

CapturePicture CaptureService::Take(CaptureRange range, const FixedRange& fixed) const {
    DesktopSnapshot snapshot = SnapshotDesktop();
    if (range == CaptureRange::FullScreen) {
        const int width = snapshot.width();
        const int height = snapshot.height();
        return CutRectangle(std::move(snapshot), 0, 0, width, height);
    }
    return CutRectangle(snapshot, fixed.left, fixed.top, fixed.width, fixed.height);
}

std::wstring CaptureService::Save(const CapturePicture& picture, const SaveRequest& request) const {
    std::wstring path;
    {
        // PNG takes the picture's own rows; only JPEG needs an RGB copy.
        std::vector<std::uint8_t> bytes;
        try {
            bytes = request.format == ImageFormat::Png ? image::EncodePng(PngRowsOf(picture), 7)
                                                       : image::EncodeJpeg(ToRgbImage(picture), 90);
        } catch (const image::CodecError&) {
            // The encoders' reasons are for developers; the user reads which file
            // was not written.
            throw platform::UserError(
                L"画像ファイルを保存できません\r\n" +
                CaptureFilePath(request.saveFolder, host_.Now(), request.code, request.format) +
                L"\r\n画像の圧縮に失敗しました。");
        }
        path = CaptureFilePath(request.saveFolder, host_.Now(), request.code, request.format);
        WriteFileReplacing(path, bytes);
    }
    // The file is what the key was pressed for, so it comes first: a clipboard
    // that another program holds must not cost the picture.
    if (request.clipboardOwner != nullptr) {
        try {
            ClipboardSession clipboard = ClipboardSession::Open(request.clipboardOwner);
            clipboard.PutBitmap(picture);
        } catch (const ClipboardError&) {
            throw;
        } catch (const std::exception& error) {
            throw ClipboardError(platform::Widen(error.what()));
        }
    }
    return path;
}

} // namespace mirulo::capture
