// The editor's image store.
#include "sonarch/gui/win32/ImageStore.h"

#include "sonarch/gui/win32/PngResource.h"

namespace Sonarch::Gui
{

ImageStore::ImageStore(HINSTANCE instanceIn) : instance(instanceIn) {}

ImageStore::~ImageStore()
{
    clear();
}

void ImageStore::clear()
{
    for (auto& entry : images)
    {
        Gdip::GdipDisposeImage(entry.second);
    }
    images.clear();
}

bool ImageStore::load(int resourceId)
{
    GpBitmap* bitmap = loadPngResource(resourceId, instance);
    if (bitmap == nullptr)
    {
        return false;
    }
    store(resourceId, bitmap);
    return true;
}

void ImageStore::store(int resourceId, GpBitmap* bitmap)
{
    if (bitmap == nullptr)
    {
        return;
    }
    // The map's node is made before the old bitmap goes, so a failed allocation loses nothing kept.
    auto [entry, inserted] = images.try_emplace(resourceId, bitmap);
    if (!inserted && entry->second != bitmap)
    {
        Gdip::GdipDisposeImage(entry->second);
        entry->second = bitmap;
    }
}

GpBitmap* ImageStore::find(int resourceId) const
{
    const auto entry = images.find(resourceId);
    return entry != images.end() ? entry->second : nullptr;
}

} // namespace Sonarch::Gui
