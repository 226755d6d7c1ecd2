#include "ui/ImageDecode.h"

#include <climits>

#include "stb_image.h"

namespace SkinUI {

void PremultiplyRgba(const unsigned char* rgba, int width, int height, uint32_t mask,
                     DecodedImage& image) {
    image.width = width;
    image.height = height;
    image.alpha = false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    image.pixels.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = rgba + i * 4;
        uint32_t r = p[0];
        uint32_t g = p[1];
        uint32_t b = p[2];
        const uint32_t a = p[3];
        if (a < 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            image.alpha = true;
        }
        uint32_t value = (a << 24) | (r << 16) | (g << 8) | b;
        if (value == mask) {
            value = 0;
            image.alpha = true;
        }
        image.pixels[i] = value;
    }
}

bool DecodeImage(const std::string& bytes, uint32_t mask, DecodedImage& image) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX))
        return false;
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* rgba =
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (!rgba)
        return false;
    PremultiplyRgba(rgba, width, height, mask, image);
    stbi_image_free(rgba);
    return true;
}

}  // namespace SkinUI
