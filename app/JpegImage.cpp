// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JpegImage.h"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace lexfall {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back to the
// call that started the libjpeg work. Each function holding a setjmp keeps only trivially
// destructible locals, so the jump skips no destructor; the image is owned by the caller.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data, a missing end marker) are counted by libjpeg; the text is not wanted.
void QuietMessage(j_common_ptr) {}

bool ReadHeader(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const unsigned char* data,
                std::size_t size) {
    if (setjmp(trap->jump))
        return false;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    cinfo->out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(cinfo);
    return cinfo->output_components == 3;
}

bool ReadPixels(jpeg_decompress_struct* cinfo, ErrorTrap* trap, unsigned char* bits,
                qsizetype stride) {
    if (setjmp(trap->jump))
        return false;
    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = bits + stride * static_cast<qsizetype>(cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(cinfo);
    return cinfo->err->num_warnings == 0;
}

} // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > ULONG_MAX)
        return {};

    jpeg_decompress_struct cinfo{};
    ErrorTrap trap{};
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpOnError;
    trap.manager.output_message = QuietMessage;
    jpeg_create_decompress(&cinfo);

    QImage image;
    if (ReadHeader(&cinfo, &trap, data, size)) {
        // Allocated here, outside the jump's reach. A size Qt cannot hold gives a null image.
        image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       QImage::Format_RGB888);
        if (!image.isNull() && !ReadPixels(&cinfo, &trap, image.bits(), image.bytesPerLine()))
            image = QImage();
    }
    jpeg_destroy_decompress(&cinfo);
    return image;
}

} // namespace lexfall
