// SPDX-License-Identifier: MIT
#include "JpegDecoder.h"

#include "ByteSeams.h"
#include "CodecError.h"
#include "Geometry.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace velmora::codec {

namespace {

constexpr size_t kInputBuffer = 64 * 1024;
// Progressive files keep all their coefficients; beyond this they are refused with 7.
constexpr long kMaxLibjpegMemory = 1024L * 1024 * 1024;
// Bounds the work a hostile progressive file with endless scans can cause.
constexpr int kMaxScans = 1000;

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

} // namespace

// Everything libjpeg touches lives here, owned by the decoder, so that a longjmp back
// into a member function skips only libjpeg's own frames.
struct JpegState {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errorManager{};
    jpeg_source_mgr sourceManager{};
    jpeg_progress_mgr progress{};
    jmp_buf jump{};
    bool created = false;
    std::exception_ptr sourceError;
    bool tooManyScans = false;
    ByteSource* source = nullptr;
    int64_t offset = 0;
    std::vector<JOCTET> input;
    bool cmyk = false;
    bool cmykInverted = false;
    JpegDecoder::Pixels pixels = JpegDecoder::Pixels::Bgr;
    std::vector<uint8_t> cmykRow;

    ~JpegState() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

namespace {

JpegState* StateOf(j_common_ptr cinfo) {
    return static_cast<JpegState*>(cinfo->client_data);
}

void ErrorExit(j_common_ptr cinfo) {
    longjmp(StateOf(cinfo)->jump, 1);
}
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        ++cinfo->err->num_warnings;
}
void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    JpegState* s = StateOf(reinterpret_cast<j_common_ptr>(cinfo));
    int64_t n = 0;
    // No exception may cross libjpeg's frames: it is kept and thrown again after the jump.
    try {
        n = s->source->ReadAt(s->offset, s->input.data(), int64_t(s->input.size()));
    } catch (...) {
        s->sourceError = std::current_exception();
    }
    // Outside the handler: a longjmp out of one would leave the exception half-handled.
    if (s->sourceError)
        ERREXIT(cinfo, JERR_FILE_READ);
    if (n == 0) {
        // The data ends early: libjpeg's convention is a warning and a fake end marker.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        cinfo->src->next_input_byte = kFakeEoi;
        cinfo->src->bytes_in_buffer = 2;
        return TRUE;
    }
    s->offset += n;
    cinfo->src->next_input_byte = s->input.data();
    cinfo->src->bytes_in_buffer = size_t(n);
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (size_t(count) <= src->bytes_in_buffer) {
        src->next_input_byte += count;
        src->bytes_in_buffer -= size_t(count);
        return;
    }
    JpegState* s = StateOf(reinterpret_cast<j_common_ptr>(cinfo));
    s->offset += count - long(src->bytes_in_buffer);
    src->bytes_in_buffer = 0;
    src->next_input_byte = nullptr;
}

void Progress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        StateOf(cinfo)->tooManyScans = true;
        longjmp(StateOf(cinfo)->jump, 1);
    }
}

} // namespace

JpegDecoder::JpegDecoder(ByteSource& source) : state_(std::make_unique<JpegState>()) {
    JpegState* s = state_.get();
    s->source = &source;
    s->input.resize(kInputBuffer);
    s->cinfo.err = jpeg_std_error(&s->errorManager);
    s->errorManager.error_exit = ErrorExit;
    s->errorManager.emit_message = EmitMessage;
    s->errorManager.output_message = OutputMessage;
    s->cinfo.client_data = s;
    if (setjmp(s->jump))
        fail();
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
    s->sourceManager.init_source = InitSource;
    s->sourceManager.fill_input_buffer = FillInput;
    s->sourceManager.skip_input_data = SkipInput;
    s->sourceManager.resync_to_restart = jpeg_resync_to_restart;
    s->sourceManager.term_source = TermSource;
    s->cinfo.src = &s->sourceManager;
    s->progress.progress_monitor = Progress;
    s->cinfo.progress = &s->progress;
    jpeg_read_header(&s->cinfo, TRUE);
    CheckPictureSize(s->cinfo.image_width, s->cinfo.image_height);
    // Huffman coding spends at least one bit on every 8x8 block of the first component: a
    // smaller file cannot hold the picture it declares, only make us decode a huge grey one.
    const int64_t pixels = int64_t(s->cinfo.image_width) * s->cinfo.image_height;
    if (!s->cinfo.arith_code && source.Size() < pixels / 512)
        ThrowInvalid();
    switch (s->cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        s->cmyk = true;
        // Adobe's writers store CMYK inverted.
        s->cmykInverted = s->cinfo.saw_Adobe_marker;
        break;
    default:
        ThrowInvalid();
    }
}

JpegDecoder::~JpegDecoder() = default;

void JpegDecoder::fail() {
    JpegState* s = state_.get();
    if (s->sourceError)
        std::rethrow_exception(s->sourceError);
    if (!s->tooManyScans) {
        switch (s->errorManager.msg_code) {
        case JERR_OUT_OF_MEMORY:
        case JERR_NO_BACKING_STORE:
        case JERR_IMAGE_TOO_BIG:
        case JERR_WIDTH_OVERFLOW:
        case JERR_VIRTUAL_BUG:
            ThrowTooLarge();
        default:
            break;
        }
    }
    ThrowInvalid();
}

Size JpegDecoder::size() const {
    return Size{int(state_->cinfo.image_width), int(state_->cinfo.image_height)};
}

Size JpegDecoder::scaledSize(int eighths) {
    JpegState* s = state_.get();
    if (setjmp(s->jump))
        fail();
    s->cinfo.scale_num = unsigned(eighths);
    s->cinfo.scale_denom = 8;
    jpeg_calc_output_dimensions(&s->cinfo);
    return Size{int(s->cinfo.output_width), int(s->cinfo.output_height)};
}

void JpegDecoder::start(int eighths, Pixels pixels) {
    JpegState* s = state_.get();
    if (setjmp(s->jump))
        fail();
    s->pixels = pixels;
    s->cinfo.scale_num = unsigned(eighths);
    s->cinfo.scale_denom = 8;
    if (s->cmyk)
        s->cinfo.out_color_space = JCS_CMYK;
    else
        s->cinfo.out_color_space = pixels == Pixels::Bgr ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_start_decompress(&s->cinfo);
    if (s->cmyk)
        s->cmykRow.resize(size_t(s->cinfo.output_width) * 4);
}

Size JpegDecoder::outputSize() const {
    return Size{int(state_->cinfo.output_width), int(state_->cinfo.output_height)};
}

int JpegDecoder::read(uint8_t* const* rows, int count) {
    if (state_->cmyk)
        return readCmyk(rows, count);
    JpegState* s = state_.get();
    if (setjmp(s->jump))
        fail();
    int done = 0;
    while (done < count && s->cinfo.output_scanline < s->cinfo.output_height)
        done += int(jpeg_read_scanlines(&s->cinfo, const_cast<JSAMPARRAY>(rows + done),
                                        JDIMENSION(count - done)));
    return done;
}

int JpegDecoder::readCmyk(uint8_t* const* rows, int count) {
    JpegState* s = state_.get();
    if (setjmp(s->jump))
        fail();
    const int width = int(s->cinfo.output_width);
    const int step = s->pixels == Pixels::Bgr ? 3 : 4;
    int done = 0;
    while (done < count && s->cinfo.output_scanline < s->cinfo.output_height) {
        JSAMPROW row = s->cmykRow.data();
        if (jpeg_read_scanlines(&s->cinfo, &row, 1) != 1)
            break;
        uint8_t* out = rows[done];
        const uint8_t* in = s->cmykRow.data();
        for (int x = 0; x < width; ++x, in += 4, out += step) {
            unsigned c = in[0], m = in[1], y = in[2], k = in[3];
            if (!s->cmykInverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            out[0] = uint8_t((y * k + 127) / 255);
            out[1] = uint8_t((m * k + 127) / 255);
            out[2] = uint8_t((c * k + 127) / 255);
            if (step == 4)
                out[3] = 0xFF;
        }
        ++done;
    }
    return done;
}

} // namespace velmora::codec
