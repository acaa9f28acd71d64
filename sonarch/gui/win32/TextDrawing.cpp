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

// The height the text needs wrapped in the rectangle's width; 0 when it is wider than that.
int wrappedHeight(HDC dc, const char* text, HFONT font, const RECT& rect, UINT format)
{
    const SelectedFont selected(dc, font);
    RECT needed = rect;
    DrawTextA(dc, text, -1, &needed, format | DT_CALCRECT);
    return needed.right - needed.left <= rect.right - rect.left ? needed.bottom - needed.top : 0;
}

// The rectangle moved down by half of the height it has to spare.
RECT centredVertically(RECT rect, int height)
{
    const int spare = (rect.bottom - rect.top) - height;
    if (spare > 0)
    {
        rect.top += spare / 2;
    }
    return rect;
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
    const int height = wrappedHeight(dc, text, font, rect, format);
    if ((format & DT_WORDBREAK) == 0 || (height > 0 && height <= rect.bottom - rect.top))
    {
        drawText(dc, text, font, colour, centredVertically(rect, height), format);
        return;
    }
    TEXTMETRICA metrics = {};
    {
        const SelectedFont selected(dc, font);
        GetTextMetricsA(dc, &metrics);
    }
    const UINT lineFormat = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE;
    const int width = rect.right - rect.left;
    const int lines = 1 + static_cast<int>(std::count(text, text + std::strlen(text), '\n'));
    int top = centredVertically(rect, lines * metrics.tmHeight).top;
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
