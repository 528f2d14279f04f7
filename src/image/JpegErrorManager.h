#pragma once
// libjpeg's own error handling ends the process on a fatal error and prints its
// warnings to stderr. The JPEG codecs install this manager instead: a fatal
// error, and any warning that the codec declares fatal, jumps back to the
// codec's setjmp point with the message kept here, and the codec throws a
// CodecError once it is back in C++ code. Nothing is ever printed.
//
// Rule for the code between setjmp and a possible jump: no object with a
// destructor may live there (the jump would skip it). The codecs keep all such
// objects in a session object owned by the caller of the setjmp function.
#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

namespace mirulo::image {

struct JpegErrorManager {
    jpeg_error_mgr pub{}; // first member: libjpeg only sees this part
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX]{};
    int code = 0; // libjpeg's code of the error or warning that stopped the codec
    // Asked for every warning; true stops the codec. Null: warnings never stop it.
    bool (*isFatalWarning)(j_common_ptr cinfo, int code) = nullptr;
};

// Sets up the manager and returns the pointer to store in cinfo.err before
// jpeg_create_compress or jpeg_create_decompress.
jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager);

// Stops the codec from one of its callbacks: keeps libjpeg's text for the
// current msg_code and jumps back to the setjmp point.
[[noreturn]] void StopJpegCodec(j_common_ptr cinfo);

} // namespace mirulo::image
