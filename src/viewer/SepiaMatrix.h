#pragma once
// The sepia tone as a 5 x 5 colour matrix in single precision, row by row: a
// colour is the row vector (R, G, B, A, 1) on a 0-to-1 scale, multiplied from the
// left. Laid out exactly as the drawing library's colour matrix.
#include <array>

namespace mirulo::viewer {

using ColourMatrix = std::array<std::array<float, 5>, 5>;

inline constexpr ColourMatrix kSepiaMatrix = {{
    {0.393f, 0.349f, 0.272f, 0.0f, 0.0f},
    {0.769f, 0.686f, 0.534f, 0.0f, 0.0f},
    {0.189f, 0.168f, 0.131f, 0.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 1.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 0.0f, 1.0f},
}};

} // namespace mirulo::viewer
