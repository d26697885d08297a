// SPDX-License-Identifier: MIT
#include "WicBitmap.h"

#include <wincodec.h>

namespace velmora::win32 {

namespace {

template <typename T> struct Com {
    T* p = nullptr;
    ~Com() {
        if (p != nullptr)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

HBITMAP Scaled(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, int width, int height) {
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICBitmapScaler> scaler;
    Com<IWICFormatConverter> converter;
    if (FAILED(decoder->GetFrame(0, frame.out())) ||
        FAILED(factory->CreateBitmapScaler(scaler.out())) ||
        FAILED(scaler->Initialize(frame.p, UINT(width), UINT(height),
                                  WICBitmapInterpolationModeFant)) ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(scaler.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                     nullptr, 0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as WIC hands the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    const UINT stride = UINT(width) * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * UINT(height),
                                     static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

HBITMAP Decode(int width, int height, auto makeDecoder) {
    if (width <= 0 || height <= 0)
        return nullptr;
    Com<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.out()))))
        return nullptr;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICStream> stream;
    if (!makeDecoder(factory.p, decoder, stream))
        return nullptr;
    return Scaled(factory.p, decoder.p, width, height);
}

} // namespace

HBITMAP DecodeFile(const std::wstring& path, int width, int height) {
    return Decode(width, height, [&](IWICImagingFactory* factory, auto& decoder, auto&) {
        return SUCCEEDED(factory->CreateDecoderFromFilename(
            path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.out()));
    });
}

HBITMAP DecodeMemory(const void* bytes, DWORD size, int width, int height) {
    return Decode(width, height, [&](IWICImagingFactory* factory, auto& decoder, auto& stream) {
        return SUCCEEDED(factory->CreateStream(stream.out())) &&
               SUCCEEDED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                                      size)) &&
               SUCCEEDED(factory->CreateDecoderFromStream(
                   stream.p, nullptr, WICDecodeMetadataCacheOnDemand, decoder.out()));
    });
}

} // namespace velmora::win32
