// Making and deleting the font a FontDescription describes.
#pragma once

#include "sonarch/gui/FontDescription.h"

#include <windows.h>

namespace Sonarch::Gui
{

// Creates the font with CreateFontA and keeps its handle in the description; returns it (null when
// the system refused). A font made earlier is deleted first.
HFONT createFont(FontDescription& description);
// Deletes the description's font, if any, and clears the handle.
void deleteFont(FontDescription& description);

} // namespace Sonarch::Gui
