#include "images/StbLibraries.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
thread_local std::size_t AllocationLimit = std::numeric_limits<std::size_t>::max();

void* LimitedMalloc(std::size_t size) { return size > AllocationLimit ? nullptr : std::malloc(size); }
void* LimitedRealloc(void* block, std::size_t size) { return size > AllocationLimit ? nullptr : std::realloc(block, size); }
}  // namespace

#define STBI_MALLOC(size) LimitedMalloc(size)
#define STBI_REALLOC(block, size) LimitedRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 65535
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

#define STBIR_MALLOC(size, context) ((void)(context), LimitedMalloc(size))
#define STBIR_FREE(block, context) ((void)(context), std::free(block))
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "stb_image_resize.h"

#define STBIW_MALLOC(size) LimitedMalloc(size)
#define STBIW_REALLOC(block, size) LimitedRealloc(block, size)
#define STBIW_FREE(block) std::free(block)
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace kestro::stb {

TAllocationLimit::TAllocationLimit(std::size_t limit) : previous_(AllocationLimit) { AllocationLimit = limit; }
TAllocationLimit::~TAllocationLimit() { AllocationLimit = previous_; }

namespace {
const stbi_uc* Data(const Bytes& content) { return reinterpret_cast<const stbi_uc*>(content.data()); }
int Length(const Bytes& content) {
    return content.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                                      : static_cast<int>(content.size());
}
}  // namespace

const char* FailureReason() {
    const char* why = stbi_failure_reason();
    return why != nullptr ? why : "damaged";
}

bool Info(const Bytes& content, int& width, int& height, std::string& reason) {
    int channels = 0;
    if (stbi_info_from_memory(Data(content), Length(content), &width, &height, &channels) != 0) return true;
    reason = FailureReason();
    return false;
}

bool Decode(const Bytes& content, TRgbaImage& image, std::string& reason) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(Data(content), Length(content), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        reason = FailureReason();
        return false;
    }
    image.Width = static_cast<std::uint32_t>(width);
    image.Height = static_cast<std::uint32_t>(height);
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    image.Pixels.assign(pixels, pixels + size);
    stbi_image_free(pixels);
    return true;
}

bool Resize(const TRgbaImage& from, std::uint32_t width, std::uint32_t height, TRgbaImage& to) {
    to.Width = width;
    to.Height = height;
    to.Pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    return stbir_resize_uint8_generic(from.Pixels.data(), static_cast<int>(from.Width), static_cast<int>(from.Height), 0,
                                      to.Pixels.data(), static_cast<int>(width), static_cast<int>(height), 0, 4, 3, 0,
                                      STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT, STBIR_COLORSPACE_SRGB, nullptr) != 0;
}

Bytes EncodeJpeg(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height, int quality) {
    Bytes out;
    auto append = [](void* context, void* data, int size) {
        static_cast<Bytes*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    if (stbi_write_jpg_to_func(append, &out, static_cast<int>(width), static_cast<int>(height), 3, rgb.data(), quality) == 0)
        out.clear();
    return out;
}

}  // namespace kestro::stb
