// SPDX-License-Identifier: MIT
// The codec on its own: pictures decoded from memory through the byte seams, in a program
// built without Qt.
#include "ByteSeams.h"
#include "CodecError.h"
#include "PictureCodec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

using namespace velmora::codec;

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

// Serves bytes from memory; from its failingCall-th read on it throws as a failing disk would.
class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::vector<uint8_t> bytes, int failingCall = 0)
        : bytes_(std::move(bytes)), failingCall_(failingCall) {}
    int64_t Size() const override { return int64_t(bytes_.size()); }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t len) override {
        if (failingCall_ > 0 && ++calls_ >= failingCall_)
            throw std::runtime_error("medium removed");
        if (offset >= Size())
            return 0;
        const int64_t n = std::min(len, Size() - offset);
        std::memcpy(buffer, bytes_.data() + offset, size_t(n));
        return n;
    }

  private:
    std::vector<uint8_t> bytes_;
    int failingCall_ = 0;
    int calls_ = 0;
};

class MemorySink : public ByteSink {
  public:
    void Reserve(int64_t size) override {
        bytes.assign(size_t(size), 0);
        reserved = true;
    }
    void Write(const void* data, int64_t size) override {
        WriteAt(int64_t(bytes.size()), data, size);
    }
    void WriteAt(int64_t offset, const void* data, int64_t size) override {
        if (size_t(offset + size) > bytes.size())
            bytes.resize(size_t(offset + size));
        std::memcpy(bytes.data() + offset, data, size_t(size));
    }
    void Commit() override { committed = true; }

    std::vector<uint8_t> bytes;
    bool reserved = false;
    bool committed = false;
};

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A 2x2 top-down 32-bit bitmap: top row red, green; bottom row blue, white.
std::vector<uint8_t> TopDownBitmap() {
    std::vector<uint8_t> b(54 + 16, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, 2);
    Put32(b, 22, uint32_t(-2));
    b[26] = 1;
    b[28] = 32;
    const uint8_t pixels[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    std::memcpy(b.data() + 54, pixels, sizeof pixels);
    return b;
}

// A 32x16 JPEG: the left half red, the right half blue.
std::vector<uint8_t> HalvesJpeg() {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = 32;
    cinfo.image_height = 16;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    uint8_t row[32 * 3];
    for (int x = 0; x < 32; ++x) {
        row[3 * x] = x < 16 ? 255 : 0;
        row[3 * x + 1] = 0;
        row[3 * x + 2] = x < 16 ? 0 : 255;
    }
    for (int y = 0; y < 16; ++y) {
        JSAMPROW p = row;
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

bool Near(uint32_t pixel, uint32_t want) {
    for (int shift : {0, 8, 16}) {
        const int a = int((pixel >> shift) & 0xFF), b = int((want >> shift) & 0xFF);
        if (std::abs(a - b) > 12)
            return false;
    }
    return true;
}

void BitmapThroughSeams() {
    MemorySource source(TopDownBitmap());
    const PictureHeader header = ReadHeader(source);
    Check(header.kind == PictureKind::Bmp && header.size == Size{2, 2}, "bitmap header");

    MemorySink sink;
    WriteBitmap(source, sink);
    Check(sink.committed, "the written bitmap is committed");
    // Bottom-up, 24 bits, rows padded to 8 bytes: blue, white first, then red, green.
    const uint8_t want[16] = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    Check(sink.bytes.size() == 54 + 16 && sink.bytes[28] == 24 && sink.bytes[22] == 2 &&
              std::memcmp(sink.bytes.data() + 54, want, sizeof want) == 0,
          "a top-down bitmap is written bottom-up");
}

void JpegThroughSeams() {
    MemorySource source(HalvesJpeg());
    const PictureHeader header = ReadHeader(source);
    Check(header.kind == PictureKind::Jpeg && header.size == Size{32, 16}, "JPEG header");

    const PixelBuffer fill = DecodeFillPart(source, {2, 1});
    Check(fill.width == 2 && fill.height == 1 && Near(fill.row(0)[0], Rgb(255, 0, 0)) &&
              Near(fill.row(0)[1], Rgb(0, 0, 255)),
          "a JPEG filling two pixels shows its two halves");

    // A square area takes the middle half of the columns: as much red as blue.
    const PixelBuffer middle = DecodeFillPart(source, {1, 1});
    Check(middle.width == 1 && middle.height == 1 && Near(middle.row(0)[0], Rgb(128, 0, 128)),
          "a square area from a wide picture takes its middle");
}

// What a source throws while libjpeg reads from it must come out unchanged, and a sink
// must never be committed then.
void SourceFailuresPassThrough() {
    for (const auto& bytes : {HalvesJpeg(), TopDownBitmap()}) {
        std::string caught;
        MemorySink sink;
        MemorySource source(bytes, 2); // the kind is read, then the source fails
        try {
            WriteBitmap(source, sink);
        } catch (const std::runtime_error& e) {
            caught = e.what();
        } catch (...) {
            caught = "another exception";
        }
        Check(caught == "medium removed", "the source's own failure reaches the caller");
        Check(!sink.committed, "nothing is committed after a failed read");
    }
    MemorySource damaged({0xFF, 0xD8, 0xFF, 0xE0, 0, 2});
    int number = 0;
    try {
        ReadHeader(damaged);
    } catch (const CodecError& e) {
        number = e.Number();
    }
    Check(number == 481, "a damaged JPEG is refused with 481");
}

} // namespace

int main() {
    BitmapThroughSeams();
    JpegThroughSeams();
    SourceFailuresPassThrough();
    if (failures == 0)
        std::puts("all codec checks passed");
    return failures == 0 ? 0 : 1;
}
