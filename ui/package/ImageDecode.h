// Skin images decoded to premultiplied 32-bit pixels, ready for a top-down
// DIB and AlphaBlend. Pure code: the bitmap itself is made by the manager.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // 0xAARRGGBB per pixel, premultiplied; in memory this is B, G, R, A.
    std::vector<uint32_t> pixels;
    bool alpha = false;
};

// Converts RGBA bytes: colours are multiplied by alpha where alpha < 255, and
// a pixel equal to `mask` (0xAARRGGBB, after premultiplying) becomes fully
// transparent. Either case flags the image as having alpha.
void PremultiplyRgba(const unsigned char* rgba, int width, int height, uint32_t mask,
                     DecodedImage& image);

// The most pixels an image may have (a 4096 x 4096 picture): every skin
// image fits, and a damaged header cannot ask for gigabytes.
constexpr uint64_t kMaxImagePixels = 4096ull * 4096ull;

// Decodes PNG, JPEG, BMP, GIF and the other formats of stb_image. False for
// undecodable bytes and for images above kMaxImagePixels.
bool DecodeImage(const std::string& bytes, uint32_t mask, DecodedImage& image);

}  // namespace SkinUI
