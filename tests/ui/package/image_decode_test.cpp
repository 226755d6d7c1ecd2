// Image decoding to premultiplied pixels, in both builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ui/package/ImageDecode.h"

using namespace SkinUI;

namespace {

TEST(ImageDecodeTest, PremultipliesAndMasks) {
    const unsigned char rgba[] = {
        10,  20,  30,  255,  // opaque: unchanged
        200, 100, 50,  128,  // half: multiplied
        255, 0,   255, 255,  // the mask colour: cleared
        0,   0,   0,   0,    // transparent
    };
    DecodedImage image;
    PremultiplyRgba(rgba, 2, 2, 0xFFFF00FF, image);
    EXPECT_TRUE(image.alpha);
    ASSERT_EQ(image.pixels.size(), 4u);
    EXPECT_EQ(image.pixels[0], 0xFF0A141Eu);
    EXPECT_EQ(image.pixels[1], 0x80643219u);
    EXPECT_EQ(image.pixels[2], 0u);
    EXPECT_EQ(image.pixels[3], 0u);

    // An opaque image with no masked pixel has no alpha; one with it has.
    const unsigned char opaque[] = {1, 2, 3, 255, 255, 0, 255, 255};
    PremultiplyRgba(opaque, 1, 1, 0xFFFF00FF, image);
    EXPECT_FALSE(image.alpha);
    PremultiplyRgba(opaque, 2, 1, 0xFFFF00FF, image);
    EXPECT_TRUE(image.alpha);
    EXPECT_FALSE(DecodeImage("not an image", 0, image));
    EXPECT_FALSE(DecodeImage("", 0, image));
}

// A bitmap header with the given size and no pixels after it.
std::string BmpHeader(uint32_t width, uint32_t height) {
    std::string bmp = "BM";
    auto put = [&bmp](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(54, 4);  // file size (ignored)
    put(0, 4);
    put(54, 4);  // pixel offset
    put(40, 4);  // info header size
    put(width, 4);
    put(height, 4);
    put(1, 2);   // planes
    put(24, 2);  // bits per pixel
    for (int i = 0; i < 6; ++i)
        put(0, 4);
    return bmp;
}

TEST(ImageDecodeTest, AHeaderClaimingHugeSizeIsRefusedBeforeAllocating) {
    DecodedImage image;
    EXPECT_TRUE(DecodeImage(BmpHeader(2, 2), 0, image)) << "a short body decodes as black";
    EXPECT_EQ(image.width, 2);
    EXPECT_FALSE(DecodeImage(BmpHeader(4097, 4096), 0, image));
    EXPECT_FALSE(DecodeImage(BmpHeader(30000, 30000), 0, image));
}

}  // namespace
