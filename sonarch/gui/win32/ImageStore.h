// The editor's images by resource identifier.
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

#include <map>

namespace Sonarch::Gui
{

// Owns its bitmaps and deletes them when destroyed, which must happen while GDI+ is still started.
// A look-up of an image that is absent (it was missing or did not decode) gives null, which every
// user of an image accepts.
class ImageStore
{
public:
    explicit ImageStore(HINSTANCE instance);
    ~ImageStore();

    ImageStore(const ImageStore&) = delete;
    ImageStore& operator=(const ImageStore&) = delete;

    HINSTANCE getInstance() const { return instance; }

    // Loads the module's PNG resource and keeps it under its identifier, replacing an earlier one;
    // returns whether it loaded.
    bool load(int resourceId);
    // Keeps a bitmap (now owned) under an identifier, replacing and deleting an earlier one.
    void store(int resourceId, GpBitmap* bitmap);
    GpBitmap* find(int resourceId) const;
    // Deletes every bitmap.
    void clear();
    int size() const { return static_cast<int>(images.size()); }

private:
    HINSTANCE instance;
    std::map<int, GpBitmap*> images;
};

} // namespace Sonarch::Gui
