#pragma once
// Readers of the files this program writes, for the chart viewer: the text
// and CSV files of live registration and of the memory save, and the binary
// measurement file (.qvg). A reader never fails as a whole: it returns what
// it could read and, for every line or record it passed over, why.

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
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

// Why a file gave nothing to draw.
enum class ChartFileProblem { None, NoSuchFile, CannotOpen, NotAChartFile, NoReadings };

// Where the rows of a file read from disk are, for reading a span of it
// again: every kEvery-th row's time and offset (with the header line in
// effect there), when the file is in time order.
struct ChartFileIndex {
    static constexpr std::size_t kEvery = 1024;
    struct Mark {
        std::int64_t time = 0;
        std::uint64_t offset = 0;
        std::string headerLine;
    };
    std::string path;
    bool binary = false;
    bool utf8 = false;
    bool ordered = true;
    std::vector<Mark> marks;
};

struct ChartFileResult {
    ChartData data;
    std::vector<SkippedLine> skipped;
    int rows = 0;          // readings read
    bool binary = false;   // read as a .qvg file
    ChartFileProblem problem = ChartFileProblem::None;
    std::string systemReason;   // why a file could not be opened
    // The data holds, per column of its span, the first, lowest, highest
    // and last value of each channel: the file has more rows than a chart
    // draws; readChartSpan reads a part of it again.
    bool reduced = false;
    ChartFileIndex index;
    // Lines or records passed over that the program would not have written.
    int damaged() const;
};

struct LocalClock;

// Reads the rows of a text or .qvg file piece by piece, in pieces split
// anywhere, handing each row with the offset where it starts to `sink`.
class ChartRowReader {
public:
    using Sink = std::function<void(const ChartRow& row, std::uint64_t offset)>;
    ChartRowReader(bool binary, Sink sink);
    ~ChartRowReader();
    // Reading from the middle of a text file: the header line in effect there.
    void startAfterHeader(std::string_view headerLine, bool utf8);
    void feed(std::string_view bytes);
    // The end of the file; afterwards result() has the skipped lines, the
    // count of rows and the problem (its data stays empty).
    void finish();
    ChartFileResult& result() { return result_; }
    const std::string& headerLine() const;
    bool utf8() const;

private:
    struct Text;
    struct Binary;
    void textLine(std::string_view raw, std::uint64_t offset);
    std::size_t binaryRecords(std::uint64_t start, bool last);
    void deliver(const ChartRow& row, std::uint64_t offset);

    Sink sink_;
    ChartFileResult result_;
    std::unique_ptr<Text> text_;
    std::unique_ptr<Binary> binary_;
    std::unique_ptr<LocalClock> clock_;
    std::uint64_t offset_ = 0;
};

struct ChartReadOptions {
    // Only rows in [from, to].
    std::int64_t from = std::numeric_limits<std::int64_t>::min();
    std::int64_t to = std::numeric_limits<std::int64_t>::max();
    // More rows than this are reduced to `columns` columns.
    std::size_t fullRows = 200'000;
    int columns = 4096;
    // Reading from the middle of the file (readChartSpan).
    std::uint64_t startOffset = 0;
    std::string headerLine;
    bool utf8 = false;
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

// By content (looksLikeMeasurementFile): a .qvg file, or else text.
ChartFileResult readChartBytes(std::string_view bytes);

// Reads a file from disk piece by piece (a .qvg by its name or content): a
// file that cannot be read gives an empty result with its problem and one
// skipped entry (number 0) that says why; a file of more rows than
// options.fullRows comes back reduced.
ChartFileResult readChartFile(const std::string& path, const ChartReadOptions& options = {});

// The rows of [from, to] of a file read before, from the mark before `from`
// on when the file is in time order (else the whole file again).
ChartFileResult readChartSpan(const ChartFileIndex& index, std::int64_t from, std::int64_t to, int columns);

}  // namespace mr420
