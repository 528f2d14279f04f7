#include "image/JpegWriter.h"

#include <algorithm>
#include <string>

#include "image/JpegErrorManager.h"

#include <jerror.h>

namespace mirulo::image {
namespace {

constexpr std::size_t kFirstOutputChunk = 64 * 1024;

// libjpeg writes straight into the vector, which doubles whenever it is full.
struct VectorDestination {
    jpeg_destination_mgr pub{}; // first member: libjpeg only sees this part
    std::vector<std::uint8_t>* bytes = nullptr;
};

// Growing must not throw through libjpeg's C frames: a failure becomes a libjpeg error.
bool TryResize(std::vector<std::uint8_t>& bytes, std::size_t size) noexcept {
    try {
        bytes.resize(size);
        return true;
    } catch (...) {
        return false;
    }
}

VectorDestination& DestinationOf(j_compress_ptr cinfo) {
    return *reinterpret_cast<VectorDestination*>(cinfo->dest);
}

void InitDestination(j_compress_ptr cinfo) {
    VectorDestination& destination = DestinationOf(cinfo);
    if (!TryResize(*destination.bytes, kFirstOutputChunk)) {
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    }
    destination.pub.next_output_byte = destination.bytes->data();
    destination.pub.free_in_buffer = destination.bytes->size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    VectorDestination& destination = DestinationOf(cinfo);
    // libjpeg calls this only when the whole buffer is full.
    const std::size_t used = destination.bytes->size();
    if (!TryResize(*destination.bytes, used * 2)) {
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    }
    destination.pub.next_output_byte = destination.bytes->data() + used;
    destination.pub.free_in_buffer = destination.bytes->size() - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    VectorDestination& destination = DestinationOf(cinfo);
    destination.bytes->resize(destination.bytes->size() - destination.pub.free_in_buffer);
}

// Everything with a destructor lives here, outside the setjmp scope of RunEncoder.
struct EncodeSession {
    jpeg_compress_struct cinfo{};
    JpegErrorManager errors;
    VectorDestination destination;
    std::vector<std::uint8_t> bytes;
    std::vector<JSAMPROW> rows;

    EncodeSession() = default;
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;
    ~EncodeSession() { jpeg_destroy_compress(&cinfo); } // harmless before jpeg_create_compress
};

// C-style on purpose: a libjpeg error jumps back to the setjmp below.
bool RunEncoder(EncodeSession& session, JDIMENSION width, JDIMENSION height, int quality) {
    jpeg_compress_struct& cinfo = session.cinfo;
    if (setjmp(session.errors.jump) != 0) {
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &session.destination.pub;
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        jpeg_write_scanlines(&cinfo, session.rows.data() + cinfo.next_scanline,
                             cinfo.image_height - cinfo.next_scanline);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

[[noreturn]] void Fail(const std::string& reason) {
    throw CodecError("JPEG: cannot encode: " + reason);
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const Image& rgb, int quality) {
    if (rgb.channels != 3) {
        Fail("the picture has " + std::to_string(rgb.channels) + " channels instead of 3 (RGB)");
    }
    if (rgb.width == 0 || rgb.height == 0) {
        Fail("the picture is empty");
    }
    if (rgb.width > JPEG_MAX_DIMENSION || rgb.height > JPEG_MAX_DIMENSION) {
        Fail("the picture is larger than " + std::to_string(JPEG_MAX_DIMENSION) + " pixels on a side");
    }
    if (rgb.pixels.size() != rgb.stride() * rgb.height) {
        Fail("the pixel buffer does not match the picture's size");
    }
    if (quality < 1 || quality > 100) {
        Fail("quality " + std::to_string(quality) + " is outside 1 to 100");
    }

    EncodeSession session;
    session.rows.resize(rgb.height);
    for (std::uint32_t y = 0; y < rgb.height; ++y) {
        // libjpeg takes non-const rows but only reads them.
        session.rows[y] = const_cast<JSAMPROW>(rgb.row(y));
    }
    session.destination.bytes = &session.bytes;
    session.destination.pub.init_destination = InitDestination;
    session.destination.pub.empty_output_buffer = EmptyOutputBuffer;
    session.destination.pub.term_destination = TermDestination;
    session.cinfo.err = InstallJpegErrorManager(session.errors);

    if (!RunEncoder(session, rgb.width, rgb.height, quality)) {
        Fail(session.errors.message);
    }
    return std::move(session.bytes);
}

} // namespace mirulo::image
