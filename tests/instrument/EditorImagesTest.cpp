// The committed editor images against their table: the size, the colour mode and the frame layout
// of every PNG image as its header states it, and the about bitmap's header.
#include "instrument/EditorImages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{

std::vector<unsigned char> readFile(const std::string& name)
{
    std::ifstream file(std::string(TAVREL_RESOURCE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t bigEndian32(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

std::int32_t littleEndian32(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(
        std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
        (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24));
}

TEST(EditorImagesTest, EveryPngHasItsSizeModeAndWholeFrames)
{
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const EditorImage& image : kEditorPngImages)
    {
        SCOPED_TRACE(image.fileName);
        const std::vector<unsigned char> png = readFile(image.fileName);
        ASSERT_GE(png.size(), 33u);
        ASSERT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
        // The first chunk is the header: width, height, bit depth, colour type.
        ASSERT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
        EXPECT_EQ(bigEndian32(png, 16), static_cast<std::uint32_t>(image.width));
        EXPECT_EQ(bigEndian32(png, 20), static_cast<std::uint32_t>(image.height));
        EXPECT_EQ(png[24], 8);
        EXPECT_EQ(png[25], image.channels == 4 ? 6 : 2) << "colour type";
        EXPECT_EQ(image.height % image.frameCount, 0);
    }
}

TEST(EditorImagesTest, StripFramesHaveTheSizesTheControlsExpect)
{
    const auto frameSize = [](int id)
    {
        const EditorImage* image = findEditorImage(id);
        return image == nullptr ? std::pair{0, 0}
                                : std::pair{image->width, image->height / image->frameCount};
    };
    EXPECT_EQ(frameSize(103), (std::pair{32, 33}));
    EXPECT_EQ(frameSize(104), (std::pair{24, 27}));
    EXPECT_EQ(frameSize(113), (std::pair{20, 32}));
    EXPECT_EQ(frameSize(114), (std::pair{12, 22}));
    EXPECT_EQ(findEditorImage(103)->frameCount, 91);
}

TEST(EditorImagesTest, IdentifiersAreUniqueAndTheAboutBitmapIsSeparate)
{
    std::set<int> ids;
    for (const EditorImage& image : kEditorPngImages)
    {
        EXPECT_TRUE(ids.insert(image.resourceId).second) << image.resourceId;
        EXPECT_EQ(findEditorImage(image.resourceId), &image);
    }
    EXPECT_EQ(ids, (std::set<int>{101, 102, 103, 104, 105, 106, 107, 108, 113, 114}));
    EXPECT_EQ(findEditorImage(116), &kAboutBitmap);
    EXPECT_EQ(findEditorImage(115), nullptr);
}

TEST(EditorImagesTest, AboutBitmapIsA24BitPictureOfItsSize)
{
    const std::vector<unsigned char> bmp = readFile(kAboutBitmap.fileName);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(littleEndian32(bmp, 18), kAboutBitmap.width);
    // A negative height would be a top-down bitmap of the same size.
    const std::int32_t height = littleEndian32(bmp, 22);
    EXPECT_EQ(height < 0 ? -height : height, kAboutBitmap.height);
    EXPECT_EQ(bmp[28] | (bmp[29] << 8), 24);
    EXPECT_EQ(littleEndian32(bmp, 30), 0) << "uncompressed";
    // Rows of 537 × 3 bytes padded to 1612.
    EXPECT_GE(bmp.size(), 54u + 1612u * 288u);
}

} // namespace
