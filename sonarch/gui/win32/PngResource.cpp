// PNG resources through a memory stream into GDI+.
#include "sonarch/gui/win32/PngResource.h"

#include "sonarch/gui/PngHeader.h"

#include <cstring>

namespace Sonarch::Gui
{

GpBitmap* loadPngResource(int resourceId, HINSTANCE instance)
{
    const HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), "PNG");
    if (resource == nullptr)
    {
        return nullptr;
    }
    const DWORD size = SizeofResource(instance, resource);
    const HGLOBAL loaded = size != 0 ? LoadResource(instance, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
    {
        return nullptr;
    }

    // GDI+ reads a bitmap's data from its stream while the bitmap lives, so the bytes go into a
    // movable block of our own that the stream owns and frees when its last reference goes: ours
    // is released below, the bitmap keeps its own.
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
    {
        return nullptr;
    }
    void* copy = GlobalLock(block);
    if (copy == nullptr)
    {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr)
    {
        GlobalFree(block);
        return nullptr;
    }
    GpBitmap* bitmap = nullptr;
    const Gdiplus::GpStatus status = Gdip::GdipCreateBitmapFromStream(stream, &bitmap);
    stream->Release();
    if (status != Gdiplus::Ok)
    {
        if (bitmap != nullptr)
        {
            Gdip::GdipDisposeImage(bitmap);
        }
        return nullptr;
    }
    return bitmap;
}

bool pngResourceSize(int resourceId, HINSTANCE instance, int& width, int& height)
{
    const HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), "PNG");
    if (resource == nullptr)
    {
        return false;
    }
    const DWORD size = SizeofResource(instance, resource);
    const HGLOBAL loaded = LoadResource(instance, resource);
    const auto* bytes =
        static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    return pngHeaderSize(bytes, size, width, height);
}

} // namespace Sonarch::Gui
