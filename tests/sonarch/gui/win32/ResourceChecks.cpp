// The built plug-in's resources: every PNG image at its size and mode, the about bitmap, the
// manifest, and the failures of loading what is not there.
#include "tests/sonarch/gui/win32/GuiCheck.h"
#include "tests/sonarch/gui/win32/Pixels.h"

#include "instrument/EditorImages.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/PngResource.h"

#include <string>

using namespace Sonarch::Gui;

namespace GuiCheck
{

void checkResources(HMODULE plugin, const std::string& artifacts, PanelImages& images,
                    ImageStore& store)
{
    section("resources of the built plug-in");
    bool allLoaded = true;
    for (const EditorImage& image : kEditorPngImages)
    {
        GpBitmap* bitmap = loadPngResource(image.resourceId, plugin);
        const bool sized = imageWidth(bitmap) == image.width && imageHeight(bitmap) == image.height;
        Gdiplus::PixelFormat format = 0;
        if (bitmap != nullptr)
        {
            Gdip::GdipGetImagePixelFormat(bitmap, &format);
        }
        const bool alpha = (format & PixelFormatAlpha) != 0;
        check(bitmap != nullptr && sized && alpha == (image.channels == 4),
              "PNG " + std::to_string(image.resourceId) + " (" + image.fileName + ") loads at " +
                  std::to_string(image.width) + " x " + std::to_string(image.height) +
                  (image.channels == 4 ? " with alpha" : " without alpha"));
        allLoaded = allLoaded && bitmap != nullptr;
        if (bitmap != nullptr)
        {
            Gdip::GdipDisposeImage(bitmap);
        }
    }

    const HANDLE about = LoadImageA(plugin, MAKEINTRESOURCEA(kAboutBitmap.resourceId), IMAGE_BITMAP,
                                    0, 0, LR_CREATEDIBSECTION);
    BITMAP aboutInfo = {};
    if (about != nullptr)
    {
        GetObjectA(about, sizeof(aboutInfo), &aboutInfo);
        DeleteObject(about);
    }
    check(aboutInfo.bmWidth == 537 && aboutInfo.bmHeight == 288 && aboutInfo.bmBitsPixel == 24,
          "bitmap 116 is 537 x 288 at 24 bits");
    check(FindResourceA(plugin, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(24)) != nullptr,
          "the manifest is resource 2");

    check(loadPngResource(999, plugin) == nullptr, "a missing resource gives null");
    check(loadPngResource(kAboutBitmap.resourceId, plugin) == nullptr,
          "a resource of another type gives null");
    check(loadPngResource(101, testInstance) == nullptr, "a module without the images gives null");

    for (const EditorImage& image : kEditorPngImages)
    {
        store.load(image.resourceId);
    }
    check(store.size() == 10 && store.find(999) == nullptr,
          "the image store keeps all ten, and a look-up of another gives null");
    images = {store.find(101), store.find(103), store.find(105), store.find(107), store.find(113)};
    check(saveImage(images.panel, artifacts + "/panel-image.png"),
          "the panel image saved: " + artifacts + "/panel-image.png");

    // Every frame of the knob strip differs from the next (the film actually turns).
    bool framesDiffer = allLoaded && images.knob != nullptr;
    for (int frame = 0; framesDiffer && frame < 90; ++frame)
    {
        bool same = true;
        for (int y = 0; same && y < 33; ++y)
        {
            for (int x = 0; same && x < 32; ++x)
            {
                same = pixelOf(images.knob, x, frame * 33 + y) ==
                       pixelOf(images.knob, x, (frame + 1) * 33 + y);
            }
        }
        framesDiffer = !same;
    }
    check(framesDiffer, "every knob frame differs from the next");
}

} // namespace GuiCheck
