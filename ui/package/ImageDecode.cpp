#include "ui/package/ImageDecode.h"

#include <climits>
#include <exception>
#include <memory>

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
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    // A header may claim any size; the pixels are counted before they are
    // allocated, twice over (the decoder's and ours).
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width <= 0 ||
        height <= 0 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels) {
        return false;
    }
    struct Freer {
        void operator()(unsigned char* p) const { stbi_image_free(p); }
    };
    std::unique_ptr<unsigned char, Freer> rgba(
        stbi_load_from_memory(data, length, &width, &height, &channels, 4));
    if (!rgba)
        return false;
    try {
        PremultiplyRgba(rgba.get(), width, height, mask, image);
    } catch (const std::exception&) {
        image = DecodedImage();
        return false;
    }
    return true;
}

}  // namespace SkinUI
