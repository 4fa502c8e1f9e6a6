// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegWriter.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace lexfall::banner {

std::vector<unsigned char> EncodeJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);

    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    // A build tool may simply stop on a libjpeg error: the default handler prints it and exits.
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    std::vector<unsigned char> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

} // namespace lexfall::banner
