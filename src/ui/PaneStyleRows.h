#pragma once
// The rows of the "Kolory" and "Czcionki" dialogs: caption, control ids and
// the pane each row edits, in the dialogs' order.

#include <array>

namespace mr420 {

struct ColourDialogRow {
    const char* caption;  // Polish
    int backgroundSwatchId;
    int textSwatchId;
    int channel;  // Channel
};

struct FontDialogRow {
    const char* caption;  // Polish
    int sampleId;
    int channel;  // Channel
};

const std::array<ColourDialogRow, 6>& colourDialogRows();
const std::array<FontDialogRow, 6>& fontDialogRows();

// The text every font sample shows.
inline constexpr const char* kFontSampleText = "0123456789.";

}  // namespace mr420
