// The Win32 headers and the GDI+ flat interface, as the toolkit's Win32 files use them.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

namespace Sonarch::Gui
{

// GDI+ is used through its flat C interface only; its C++ wrapper classes are not.
namespace Gdip = Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;

} // namespace Sonarch::Gui
