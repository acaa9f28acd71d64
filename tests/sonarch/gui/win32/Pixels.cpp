// Pixel read-back, expected pictures and PNG files for the toolkit check.
#include "tests/sonarch/gui/win32/Pixels.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Sonarch::Gui;

namespace GuiCheck
{

namespace
{

// A pixel of top drawn over an opaque pixel of bottom.
std::uint32_t over(Gdiplus::ARGB top, Gdiplus::ARGB bottom)
{
    const unsigned alpha = top >> 24;
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        const unsigned upper = (top >> shift) & 0xFF;
        const unsigned lower = (bottom >> shift) & 0xFF;
        result |= ((upper * alpha + lower * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

} // namespace

Pixels readWindow(HWND hwnd, int width, int height)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    Pixels pixels;
    const HDC source = GetDC(hwnd);
    const HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib != nullptr && bits != nullptr)
    {
        const HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* words = static_cast<const std::uint32_t*>(bits);
        pixels.width = width;
        pixels.height = height;
        pixels.rgb.assign(words, words + static_cast<std::size_t>(width) * height);
        for (std::uint32_t& pixel : pixels.rgb)
        {
            pixel &= 0xFFFFFF;
        }
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(hwnd, source);
    return pixels;
}

std::uint32_t pixelOf(Sonarch::Gui::GpBitmap* image, int x, int y)
{
    Gdiplus::ARGB colour = 0;
    Gdip::GdipBitmapGetPixel(image, x, y, &colour);
    return colour;
}

Pixels expectedPicture(GpBitmap* panel, int left, int top, int width, int height, GpBitmap* image,
                       int x, int y, int sourceX, int sourceY, int imageWidthShown,
                       int imageHeightShown)
{
    Pixels pixels{width, height, {}};
    for (int row = 0; row < height; ++row)
    {
        for (int column = 0; column < width; ++column)
        {
            const Gdiplus::ARGB background = pixelOf(panel, left + column, top + row);
            const bool inImage = image != nullptr && column >= x && column < x + imageWidthShown &&
                                 row >= y && row < y + imageHeightShown;
            pixels.rgb.push_back(
                inImage ? over(pixelOf(image, sourceX + column - x, sourceY + row - y), background)
                        : background & 0xFFFFFF);
        }
    }
    return pixels;
}

int largestDifference(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
    {
        return 256;
    }
    int largest = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
    {
        for (int shift = 0; shift <= 16; shift += 8)
        {
            const int difference = std::abs(static_cast<int>((a.rgb[i] >> shift) & 0xFF) -
                                            static_cast<int>((b.rgb[i] >> shift) & 0xFF));
            largest = std::max(largest, difference);
        }
    }
    return largest;
}

bool saveImage(GpImage* image, const std::string& path)
{
    // The paths the check is given are plain ASCII.
    const std::wstring wide(path.begin(), path.end());
    return image != nullptr &&
           Gdip::GdipSaveImageToFile(image, wide.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool savePixels(const Pixels& pixels, const std::string& path)
{
    std::vector<std::uint32_t> opaque = pixels.rgb;
    for (std::uint32_t& pixel : opaque)
    {
        pixel |= 0xFF000000u;
    }
    GpBitmap* bitmap = nullptr;
    if (pixels.width <= 0 || Gdip::GdipCreateBitmapFromScan0(pixels.width, pixels.height,
                                                             pixels.width * 4, PixelFormat32bppARGB,
                                                             reinterpret_cast<BYTE*>(opaque.data()),
                                                             &bitmap) != Gdiplus::Ok)
    {
        return false;
    }
    const bool saved = saveImage(bitmap, path);
    Gdip::GdipDisposeImage(bitmap);
    return saved;
}

} // namespace GuiCheck
