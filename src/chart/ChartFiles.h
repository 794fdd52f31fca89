#pragma once
// Readers of the files this program writes, for the chart viewer: the text
// and CSV files of live registration and of the memory save, and the binary
// measurement file (.qvg). A reader never fails as a whole: it returns what
// it could read and, for every line or record it passed over, why.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/ChartData.h"
#include "ui/LiveReadings.h"

namespace mr420 {

struct SkippedLine {
    int number = 0;        // line of a text file, record of a .qvg file (from 1)
    std::string reason;    // English, for the viewer and the command line
    // A line the program writes itself that holds no reading (a comment, the
    // panel number, an empty line); false for a damaged or foreign line.
    bool expected = false;
};

struct ChartFileResult {
    ChartData data;
    std::vector<SkippedLine> skipped;
    int rows = 0;          // readings read
    bool binary = false;   // read as a .qvg file
    // Lines or records passed over that the program would not have written.
    int damaged() const;
};

// The time of a date column: "2007.03.14 10:00:00" as live registration
// writes it, or a full date and time as a locale writes it ("Wed Mar 14
// 10:00:00 2007", "śro, 14 mar 2007, 10:00:00", "14.03.2007 10:00:00",
// "03/14/2007 10:00:00 AM", ...). English, Polish and German month names.
std::optional<LocalTime> parseDateTimeText(std::string_view utf8);

// A number with a full stop or a decimal comma; "???" and anything else is
// nothing.
std::optional<double> parseReadingText(std::string_view text);

// The channel a column title names (Polish or English titles of live
// registration and of the memory save), or -1.
int channelOfColumnTitle(std::string_view utf8);

// Text or CSV: Windows-1250 (UTF-8 after a byte-order mark), CR LF or LF,
// TAB, comma or semicolon between fields as the header line before the rows
// shows, double-quoted fields with doubled quotes, header lines again in the
// middle of the file, comment and panel-number lines, "???" for no value.
ChartFileResult readChartText(std::string_view bytes);

// .qvg: every record's check bytes are verified; a damaged or cut record is
// passed over and counted, and reading goes on with the next record.
ChartFileResult readChartQvg(std::string_view bytes);

// By content: a file whose bytes, negated, start with a time stamp and "$"
// is a .qvg file; anything else is read as text.
ChartFileResult readChartBytes(std::string_view bytes);

// Reads a file from disk; a file that cannot be read gives an empty result
// with one skipped entry (number 0) that says why.
ChartFileResult readChartFile(const std::string& path);

}  // namespace mr420
