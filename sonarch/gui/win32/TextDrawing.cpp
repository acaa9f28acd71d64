// Text drawing for drop-down boxes and labels.
#include "sonarch/gui/win32/TextDrawing.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Sonarch::Gui
{

void drawText(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format)
{
    if (dc == nullptr || text == nullptr)
    {
        return;
    }
    const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const COLORREF previousColour = SetTextColor(dc, colour);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &rect, format);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
    if (previousFont != nullptr)
    {
        SelectObject(dc, previousFont);
    }
}

namespace
{

// Selects a font into a device context for a scope (none for a null font).
class SelectedFont
{
public:
    SelectedFont(HDC dcIn, HFONT font)
        : dc(dcIn), previous(font != nullptr ? SelectObject(dcIn, font) : nullptr)
    {
    }
    ~SelectedFont()
    {
        if (previous != nullptr)
        {
            SelectObject(dc, previous);
        }
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

bool fitsWrapped(HDC dc, const char* text, HFONT font, const RECT& rect, UINT format)
{
    const SelectedFont selected(dc, font);
    RECT needed = rect;
    DrawTextA(dc, text, -1, &needed, format | DT_CALCRECT);
    return needed.bottom - needed.top <= rect.bottom - rect.top &&
           needed.right - needed.left <= rect.right - rect.left;
}

int lineWidth(HDC dc, HFONT font, const std::string& line)
{
    const SelectedFont selected(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    return size.cx;
}

// A narrower version of the font in which the line fits the width, or null when the line fits as
// it is (or the font cannot be described). The average character width is scaled by the share
// of the width the line may have, then reduced while the line still does not fit.
HFONT narrowedFont(HDC dc, HFONT font, const std::string& line, int width)
{
    const int needed = lineWidth(dc, font, line);
    LOGFONTA description = {};
    if (needed <= width || font == nullptr ||
        GetObjectA(font, sizeof(description), &description) == 0)
    {
        return nullptr;
    }
    TEXTMETRICA metrics = {};
    {
        const SelectedFont selected(dc, font);
        GetTextMetricsA(dc, &metrics);
    }
    description.lfWidth = std::max<LONG>(1, metrics.tmAveCharWidth * width / needed);
    for (;;)
    {
        const HFONT narrow = CreateFontIndirectA(&description);
        if (narrow == nullptr || description.lfWidth <= 1 || lineWidth(dc, narrow, line) <= width)
        {
            return narrow;
        }
        DeleteObject(narrow);
        --description.lfWidth;
    }
}

} // namespace

void drawTextFitted(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format)
{
    if (dc == nullptr || text == nullptr)
    {
        return;
    }
    if ((format & DT_WORDBREAK) == 0 || fitsWrapped(dc, text, font, rect, format))
    {
        drawText(dc, text, font, colour, rect, format);
        return;
    }
    TEXTMETRICA metrics = {};
    {
        const SelectedFont selected(dc, font);
        GetTextMetricsA(dc, &metrics);
    }
    const UINT lineFormat = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE;
    const int width = rect.right - rect.left;
    int top = rect.top;
    const char* start = text;
    for (;;)
    {
        const char* end = std::strchr(start, '\n');
        const std::string line = end != nullptr ? std::string(start, end) : std::string(start);
        const HFONT narrow = narrowedFont(dc, font, line, width);
        const RECT lineRect = {rect.left, top, rect.right, top + metrics.tmHeight};
        drawText(dc, line.c_str(), narrow != nullptr ? narrow : font, colour, lineRect, lineFormat);
        if (narrow != nullptr)
        {
            DeleteObject(narrow);
        }
        if (end == nullptr)
        {
            break;
        }
        top += metrics.tmHeight;
        start = end + 1;
    }
}

} // namespace Sonarch::Gui
