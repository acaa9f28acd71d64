// A GDI+ graphics context on a device context, deleted at the end of its scope.
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

class DcGraphics
{
public:
    explicit DcGraphics(HDC dc);
    ~DcGraphics();

    DcGraphics(const DcGraphics&) = delete;
    DcGraphics& operator=(const DcGraphics&) = delete;

    // Null when GDI+ could not make it (no device context, GDI+ not started).
    GpGraphics* get() const { return graphics; }

private:
    GpGraphics* graphics = nullptr;
};

} // namespace Sonarch::Gui
