#pragma once
// Pictures made into icons: at most 48 x 48 pixels of at most 256 colours.
#include <cstdint>
#include <optional>
#include <string>

#include "images/ImageFormat.h"
#include "images/IndexedImage.h"
#include "platform/Bytes.h"

namespace kestro {

constexpr std::uint32_t MaxIconSide = 48;
// Larger pictures are refused before they are decoded.
constexpr std::uint64_t MaxIconSourcePixels = 16u << 20;

// The icon of a picture file's content: a larger picture is scaled down to
// fit 48 x 48, keeping its shape, and `note` says so (else it is left
// empty); colours as IndexColours makes them. Nothing, with `refusal`
// saying why, when the content is no picture the program reads, is damaged,
// is too large, or is not of the format `named` (Unknown: any).
std::optional<TIndexedImage> IconFromImage(const Bytes& content, TImageFormat named, std::string& refusal, std::string& note,
                                           std::uint64_t maxPixels = MaxIconSourcePixels);

// "not a PNG file" (with what the content is, when the program knows it),
// or empty when content is of the format named (or named is Unknown).
std::string WrongFormat(const Bytes& content, TImageFormat named);

// The size of a w x h picture scaled down to fit maxSide x maxSide, its
// shape kept and each side at least 1.
void FitInside(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide, std::uint32_t& fitWidth,
               std::uint32_t& fitHeight);

}  // namespace kestro
