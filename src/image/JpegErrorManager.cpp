#include "image/JpegErrorManager.h"

namespace mirulo::image {
namespace {

JpegErrorManager& ManagerOf(j_common_ptr cinfo) {
    return *reinterpret_cast<JpegErrorManager*>(cinfo->err);
}

void ExitByJump(j_common_ptr cinfo) {
    StopJpegCodec(cinfo);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) {
        return; // trace output
    }
    ++cinfo->err->num_warnings;
    JpegErrorManager& manager = ManagerOf(cinfo);
    if (manager.isFatalWarning != nullptr && manager.isFatalWarning(cinfo, cinfo->err->msg_code)) {
        StopJpegCodec(cinfo);
    }
}

void DiscardMessage(j_common_ptr) {}

} // namespace

jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager) {
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = ExitByJump;
    manager.pub.emit_message = EmitMessage;
    manager.pub.output_message = DiscardMessage;
    manager.message[0] = '\0';
    manager.code = 0;
    return &manager.pub;
}

void StopJpegCodec(j_common_ptr cinfo) {
    JpegErrorManager& manager = ManagerOf(cinfo);
    manager.code = cinfo->err->msg_code;
    (*cinfo->err->format_message)(cinfo, manager.message);
    std::longjmp(manager.jump, 1);
}

} // namespace mirulo::image
