// Status label text.
#include "sonarch/gui/LabelText.h"

namespace Sonarch::Gui
{

void LabelText::set(const char* newText)
{
    int length = 0;
    if (newText != nullptr)
    {
        while (length < kCapacity - 1 && newText[length] != '\0')
        {
            text[length] = newText[length];
            ++length;
        }
    }
    text[length] = '\0';
}

} // namespace Sonarch::Gui
