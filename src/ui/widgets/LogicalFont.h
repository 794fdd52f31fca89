#pragma once
// The stored description of a pane's value font, as the settings keep it.

#include <cstdint>
#include <string>

namespace mr420 {

// The fields of a logical font description that the pane keeps.
struct LogicalFont {
    std::int32_t height = 60;  // positive: cell height in pixels; negative: character height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;  // 0 = default weight, else 1..1000
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 238;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName = "Arial";  // at most 31 bytes
    bool operator==(const LogicalFont&) const = default;
};

}  // namespace mr420
