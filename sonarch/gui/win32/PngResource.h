// Decoding a PNG image carried as a resource of type "PNG".
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// Returns a new GDI+ bitmap of the resource, or null when the module has no such resource or it
// does not decode. GDI+ must be started. The caller owns the bitmap (GdipDisposeImage); the
// resource's bytes live in a memory stream that the bitmap holds and frees with itself.
GpBitmap* loadPngResource(int resourceId, HINSTANCE instance);

// The width and height a PNG resource's header states, read without decoding the image (and
// without GDI+); false when the module has no such resource or it does not begin as a PNG does.
bool pngResourceSize(int resourceId, HINSTANCE instance, int& width, int& height);

} // namespace Sonarch::Gui
