// SPDX-License-Identifier: MIT
#include "PictureFiles.h"

#include "AtomicReplace.h"
#include "BmpWriter.h"
#include "CodecError.h"
#include "Geometry.h"
#include "Handle.h"
#include "WideText.h"
#include "Win32.h"
#include "Win32Error.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <wincodec.h>
#include <wrl/client.h>

namespace velmora::windows_impl {

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kBandRows = 64;

// COM for the calls of one operation, whatever the calling thread already chose.
class ComScope {
  public:
    ComScope() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

[[noreturn]] void ThrowFor(HRESULT result) {
    if (result == E_OUTOFMEMORY)
        throw PlatformError(Err::OutOfMemory);
    throw PlatformError(Err::InvalidPicture);
}

// WIC reads many formats; only a BMP or a JPEG, told by its first bytes, is a picture here.
PictureKind KindByContent(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid())
        throw LastError();
    unsigned char magic[3] = {};
    DWORD got = 0;
    if (!::ReadFile(file.Get(), magic, sizeof magic, &got, nullptr))
        throw LastError();
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return PictureKind::Bmp;
    if (got == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return PictureKind::Jpeg;
    throw PlatformError(Err::InvalidPicture);
}

struct Decoded {
    PictureKind kind = PictureKind::Bmp;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
};

Decoded OpenPicture(const std::wstring& path) {
    Decoded picture;
    picture.kind = KindByContent(path);
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&picture.factory));
    if (FAILED(result))
        throw PlatformError(Err::NotSupported);
    ComPtr<IWICBitmapDecoder> decoder;
    result = picture.factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                        WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(result))
        ThrowFor(result);
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)))
        throw PlatformError(Err::InvalidPicture);
    const GUID expected =
        picture.kind == PictureKind::Bmp ? GUID_ContainerFormatBmp : GUID_ContainerFormatJpeg;
    if (!IsEqualGUID(container, expected))
        throw PlatformError(Err::InvalidPicture);
    result = decoder->GetFrame(0, &picture.frame);
    if (FAILED(result))
        ThrowFor(result);
    result = picture.frame->GetSize(&picture.width, &picture.height);
    if (FAILED(result))
        ThrowFor(result);
    if (picture.width == 0 || picture.height == 0)
        throw PlatformError(Err::InvalidPicture);
    if (picture.width > codec::kMaxPictureSide || picture.height > codec::kMaxPictureSide ||
        int64_t(picture.width) * picture.height > codec::kMaxPicturePixels)
        throw PlatformError(Err::OutOfMemory);
    return picture;
}

} // namespace

PictureInfo ReadPictureHeader(const std::wstring& path) {
    ComScope com;
    const Decoded picture = OpenPicture(path);
    return {Narrow(path), picture.kind, int(picture.width), int(picture.height)};
}

void WriteBitmapFile(const std::wstring& picturePath, const std::wstring& bmpPath) {
    ComScope com;
    // The file may have changed since its header was read: what it holds now is written.
    const Decoded picture = OpenPicture(picturePath);
    ComPtr<IWICBitmapSource> bgr;
    HRESULT result =
        ::WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, picture.frame.Get(), &bgr);
    if (FAILED(result))
        ThrowFor(result);
    const int width = int(picture.width);
    const int height = int(picture.height);
    // A picture refused above never touches the target's folder.
    AtomicReplace file(bmpPath);
    try {
        codec::BmpWriter writer(file, width, height);
        const int64_t stride = writer.stride();
        std::vector<uint8_t> band(std::size_t(stride) * kBandRows);
        std::vector<uint8_t> row(static_cast<std::size_t>(stride));
        for (int top = 0; top < height; top += kBandRows) {
            const int rows = std::min(kBandRows, height - top);
            const WICRect rect{0, top, width, rows};
            result = bgr->CopyPixels(&rect, UINT(stride), UINT(stride * rows), band.data());
            if (FAILED(result))
                ThrowFor(result);
            // The file stores the bottom row first.
            for (int i = 0; i < rows / 2; ++i) {
                uint8_t* upper = band.data() + std::size_t(stride) * i;
                uint8_t* lower = band.data() + std::size_t(stride) * (rows - 1 - i);
                std::memcpy(row.data(), upper, std::size_t(stride));
                std::memcpy(upper, lower, std::size_t(stride));
                std::memcpy(lower, row.data(), std::size_t(stride));
            }
            writer.writeRows(height - top - rows, rows, band.data());
        }
        writer.commit();
    } catch (const codec::CodecError& e) {
        throw PlatformError(e.Number());
    } catch (const std::bad_alloc&) {
        throw PlatformError(Err::OutOfMemory);
    }
}

} // namespace velmora::windows_impl
