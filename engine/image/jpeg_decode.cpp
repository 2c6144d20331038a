// JPEG through libjpeg-turbo, baseline and progressive, decoded straight to BGRA rows. Errors
// arrive by long jump as with libpng; a file that ends early, which the library would finish
// with grey, is refused.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "image_decode.h"

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool endedEarly;
  char message[JMSG_LENGTH_MAX];
};

void FailJpeg(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void NoteJpegMessage(j_common_ptr info, int level) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) errors->endedEarly = true;
}

}  // namespace

int DecodeJpeg(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = FailJpeg;
  errors.manager.emit_message = NoteJpegMessage;
  errors.endedEarly = false;
  errors.message[0] = '\0';
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    ReleaseImageRecord(image);
    return ImageFailure("JPEG", errors.message[0] != '\0' ? errors.message : "壊れたファイルです");
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    jpeg_destroy_decompress(&info);
    return ImageFailure("JPEG", "CMYK の画像には対応していません");
  }
  info.out_color_space = JCS_EXT_BGRA;
  // JPEG sides are at most 65535, so they fit an int; the record checks the limits.
  if (AllocImagePixels(image, static_cast<int>(info.image_width), static_cast<int>(info.image_height), "JPEG") != 0) {
    jpeg_destroy_decompress(&info);
    return -1;
  }
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(image->pixels + static_cast<std::size_t>(info.output_scanline) * info.output_width);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (errors.endedEarly) {
    ReleaseImageRecord(image);
    return ImageFailure("JPEG", "ファイルが途中で終わっています");
  }
  return 0;
}
