#pragma once
// A point without a comment shows a short description without markup as
// its comment: the converter moves it there, and the unpacker knows that
// such a description reads back as the comment.
#include <cstddef>
#include <string_view>

namespace kestro {

// From this length on a description stays one.
constexpr std::size_t LongDescription = 256;

inline bool DescriptionServesAsComment(std::string_view comment, std::string_view description) {
    return comment.empty() && !description.empty() && description.size() < LongDescription &&
           (description.find('<') == std::string_view::npos || description.find('>') == std::string_view::npos);
}

}  // namespace kestro
