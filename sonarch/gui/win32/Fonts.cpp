// Win32 fonts from font descriptions.
#include "sonarch/gui/win32/Fonts.h"

namespace Sonarch::Gui
{

HFONT createFont(FontDescription& description)
{
    deleteFont(description);
    // The face name buffer is terminated however it was filled.
    description.faceName[sizeof(description.faceName) - 1] = '\0';
    const HFONT font = CreateFontA(
        description.height, description.width, description.escapement, description.orientation,
        description.weight, description.italic, description.underline, description.strikeOut,
        description.charSet, description.outputPrecision, description.clipPrecision,
        description.quality, description.pitchAndFamily, description.faceName);
    description.font = font;
    return font;
}

void deleteFont(FontDescription& description)
{
    if (description.font != nullptr)
    {
        DeleteObject(static_cast<HFONT>(description.font));
        description.font = nullptr;
    }
}

} // namespace Sonarch::Gui
