#include "image/JpegReader.h"

#include <algorithm>
#include <climits>
#include <new>
#include <string>
#include <vector>

#include "image/JpegErrorManager.h"

#include <jerror.h>

namespace mirulo::image {
namespace {

// Everything with a destructor lives here, outside the setjmp scopes of
// ReadHeader and Decompress.
struct DecodeSession {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors;
    jpeg_progress_mgr progress{};
    int maxScans = 0;
    bool reachedEndOfData = false;
    bool tooManyScans = false;
    bool adobeInverted = false;
    Image image;
    std::vector<JSAMPROW> rows;
    std::vector<std::uint8_t> cmykRow; // empty unless the file is CMYK or YCCK

    DecodeSession() = default;
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;
    ~DecodeSession() { jpeg_destroy_decompress(&cinfo); } // harmless before jpeg_create_decompress
};

DecodeSession& SessionOf(j_common_ptr cinfo) {
    return *static_cast<DecodeSession*>(cinfo->client_data);
}

bool IsFatalDecodeWarning(j_common_ptr common, int code) {
    DecodeSession& session = SessionOf(common);
    const jpeg_decompress_struct& cinfo = session.cinfo;
    switch (code) {
    case JWRN_JPEG_EOF:
        // libjpeg then feeds an end-of-image marker. Inside one interleaved
        // Huffman-coded scan, a marker that cuts off needed bits raises
        // JWRN_HIT_MARKER, so a file that only lacks its final marker still
        // decodes. Before the first scan, between scans of a multi-scan file or
        // under arithmetic coding, missing data would pass unnoticed.
        session.reachedEndOfData = true;
        return cinfo.input_scan_number == 0 || cinfo.progressive_mode || cinfo.arith_code ||
               cinfo.comps_in_scan < cinfo.num_components;
    case JWRN_HIT_MARKER:  // compressed data ends inside the picture
    case JWRN_MUST_RESYNC: // a restart marker is missing: an interval was lost
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        return true;
    default: // extraneous bytes, odd progression, unknown Adobe transform: the picture is whole
        return false;
    }
}

// Called between chunks of input while libjpeg reads a multi-scan file.
void CheckScanCount(j_common_ptr common) {
    DecodeSession& session = SessionOf(common);
    if (session.cinfo.input_scan_number > session.maxScans) {
        session.tooManyScans = true;
        std::longjmp(session.errors.jump, 1);
    }
}

// C-style on purpose: a libjpeg error jumps back to the setjmp below.
bool ReadHeader(DecodeSession& session, const std::uint8_t* bytes, unsigned long size, long maxMemory) {
    jpeg_decompress_struct& cinfo = session.cinfo;
    if (setjmp(session.errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = maxMemory;
    cinfo.progress = &session.progress;
    jpeg_mem_src(&cinfo, bytes, size);
    jpeg_read_header(&cinfo, TRUE);
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
        cinfo.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        return true; // refused by the caller, which knows the colour space
    }
    jpeg_calc_output_dimensions(&cinfo);
    return true;
}

// Ink-free levels (255 = no ink) multiply into the light that is left.
void CmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, std::uint32_t width, bool inverted) {
    const unsigned flip = inverted ? 0u : 255u;
    for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned k = cmyk[3] ^ flip;
        for (int i = 0; i < 3; ++i) {
            rgb[i] = static_cast<std::uint8_t>(((cmyk[i] ^ flip) * k + 127u) / 255u);
        }
    }
}

// C-style on purpose: a libjpeg error jumps back to the setjmp below.
bool Decompress(DecodeSession& session) {
    jpeg_decompress_struct& cinfo = session.cinfo;
    if (setjmp(session.errors.jump) != 0) {
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        if (session.cmykRow.empty()) {
            jpeg_read_scanlines(&cinfo, session.rows.data() + first, cinfo.output_height - first);
        } else {
            JSAMPROW row = session.cmykRow.data();
            jpeg_read_scanlines(&cinfo, &row, 1);
            if (cinfo.output_scanline > first) {
                CmykRowToRgb(row, session.rows[first], cinfo.output_width, session.adobeInverted);
            }
        }
        if (cinfo.output_scanline == first) {
            ERREXIT(&cinfo, JERR_INPUT_EOF); // only a suspending source stalls; never loop forever
        }
    }
    // No jpeg_finish_decompress: the picture is complete, and whatever follows
    // it in the file is not worth reading.
    return true;
}

[[noreturn]] void Fail(const std::string& reason) {
    throw CodecError("JPEG: " + reason);
}

std::string MebibytesText(std::uint64_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

[[noreturn]] void FailFromLibjpeg(const DecodeSession& session, const JpegLimits& limits) {
    if (session.tooManyScans) {
        Fail("the file has more than " + std::to_string(limits.maxScans) + " scans");
    }
    switch (session.errors.code) {
    case JERR_BAD_PRECISION:
        Fail("it has " + std::to_string(session.cinfo.data_precision) +
             "-bit samples; only 8-bit JPEG files can be shown");
    case JERR_IMAGE_TOO_BIG:
        Fail("the picture is " + std::to_string(session.cinfo.image_width) + " x " +
             std::to_string(session.cinfo.image_height) + " pixels; JPEG allows at most " +
             std::to_string(JPEG_MAX_DIMENSION) + " on a side");
    case JERR_NO_BACKING_STORE:
        Fail("the picture needs more than " + MebibytesText(limits.maxWorkingMemory) + " of working memory");
    case JERR_OUT_OF_MEMORY:
        Fail("not enough memory");
    default:
        break;
    }
    if (session.reachedEndOfData) {
        Fail("the file is truncated: it ends before the picture is complete");
    }
    Fail(session.errors.message);
}

} // namespace

Image DecodeJpeg(std::span<const std::uint8_t> bytes, const JpegLimits& limits) {
    if (bytes.empty()) {
        Fail("the file is empty");
    }
    if (bytes.size() > ULONG_MAX) {
        Fail("the file is too large");
    }

    DecodeSession session;
    session.maxScans = limits.maxScans;
    session.progress.progress_monitor = CheckScanCount;
    session.errors.isFatalWarning = IsFatalDecodeWarning;
    session.cinfo.err = InstallJpegErrorManager(session.errors);
    session.cinfo.client_data = &session; // kept by jpeg_create_decompress
    // libjpeg reads 0 as "no limit".
    const long maxMemory = static_cast<long>(std::clamp<std::uint64_t>(limits.maxWorkingMemory, 1, LONG_MAX));

    if (!ReadHeader(session, bytes.data(), static_cast<unsigned long>(bytes.size()), maxMemory)) {
        FailFromLibjpeg(session, limits);
    }
    const jpeg_decompress_struct& cinfo = session.cinfo;
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    if (cinfo.out_color_space != JCS_RGB && !cmyk) {
        Fail("its " + std::to_string(cinfo.num_components) +
             " colour components are neither grey, RGB nor CMYK");
    }
    const std::uint32_t width = cinfo.output_width;
    const std::uint32_t height = cinfo.output_height;
    if (width > limits.maxWidth || height > limits.maxHeight ||
        static_cast<std::uint64_t>(width) * height > limits.maxPixels) {
        Fail("the picture is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels, more than this program opens");
    }
    if (cinfo.output_components != (cmyk ? 4 : 3)) {
        Fail("its colour components cannot be converted to RGB");
    }
    // Adobe applications store CMYK inverted (0 = full ink) and say so with
    // their marker; without it the samples are plain ink amounts.
    session.adobeInverted = cinfo.saw_Adobe_marker != 0;

    try {
        session.image.width = width;
        session.image.height = height;
        session.image.channels = 3;
        session.image.pixels.resize(session.image.stride() * height);
        session.rows.resize(height);
        if (cmyk) {
            session.cmykRow.resize(static_cast<std::size_t>(width) * 4);
        }
    } catch (const std::bad_alloc&) {
        Fail("not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels");
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        session.rows[y] = session.image.row(y);
    }

    if (!Decompress(session)) {
        FailFromLibjpeg(session, limits);
    }
    return std::move(session.image);
}

} // namespace mirulo::image
