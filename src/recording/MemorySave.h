#pragma once
// Save-as of the downloaded panel memory: a text/CSV file (Windows-1250, CR LF,
// the user's locale for the date and the decimal separator) or, for a name
// ending in ".qvg", the binary measurement file of the chart program. The
// dialog, its message boxes and the browse dialog belong to the front end;
// everything they decide on is here.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/LiveReadings.h"
#include "recording/MemoryRecord.h"

namespace mr420 {

constexpr int kMsgMemoryFileUnavailable = 132;   // "Wybrany plik jest niedostępny."
constexpr int kMsgMemoryFileExists = 122;        // Yes appends, No empties the file
constexpr int kMemoryFileFilters = 226;          // "label|pattern|...||" of the browse dialog
inline constexpr const char* kMemoryDefaultExtension = "csv";

// Texts of the string table that go into the text file (UTF-8 here, written
// in Windows-1250).
struct MemorySaveTexts {
    std::string dateTime = "Data i czas";   // 168
    // Column titles in file order: string_id::kMemoryTitleTemperature1 to kMemoryTitleVapour.
    std::array<std::string, 6> titles{"Temp. 1", "Temp. 2", "Wilgotność", "Ciśnienie", "Punkt rosy", "Zaw. pary"};
    std::string panelNumber = "Panel MR-420 nr";   // 189
};

// The same texts as the string table holds them in the current language.
MemorySaveTexts memorySaveTextsFromStringTable();

// What the dialog's controls say for a text save.
struct MemorySaveOptions {
    int separator = 0;              // 0 TAB, 1 ",", 2 ";" (anything else TAB)
    bool addComment = false;        // "Dodaj komentarz"
    std::string comment;            // UTF-8, LF or CR LF line ends
    bool addSerialNumber = false;   // only together with addComment
    long panelSerialNumber = 0;     // as captured when the read-out began
};

// Columns of a record, in file order: temperature 1, temperature 2, humidity,
// pressure, dew point, water-vapour content.
namespace memory_column {
constexpr int kTemperature1 = 1;
constexpr int kTemperature2 = 2;
constexpr int kHumidity = 4;
constexpr int kPressure = 8;
constexpr int kDewPoint = 16;
constexpr int kVapour = 32;
}  // namespace memory_column

// The columns a record has: each logged quantity (in error or not), dew point
// and water-vapour content when they were computed.
int memoryColumnsOf(const MemoryRecord& record);

// The full date and time as the process locale writes it (strftime "%c"),
// in UTF-8 whatever the locale's character set.
std::string fullDateTime(const LocalTime& time);

// The lines of the text file, each in Windows-1250 ending in CR LF. A field
// that holds the separator (a date with commas, a decimal comma) goes in
// double quotes as the live registration writes it (quoteField).
std::string memoryCommentBlock(const MemorySaveOptions& options, const MemorySaveTexts& texts = {});
std::string memoryHeaderLine(int columns, char separator, const MemorySaveTexts& texts = {});
// A value in error is "???"; temperatures "%.02f" with hundredths, else
// "%.01f"; humidity, pressure and dew point "%.01f"; vapour "%.0f"; all with
// the locale's decimal separator.
std::string memoryRow(const MemoryRecord& record, char separator);

// The whole text file: the comment block, then per record a header line when
// its column set differs from the previous record's (always for the first),
// then its row.
std::string memoryTextFile(const std::vector<MemoryRecord>& records, const MemorySaveOptions& options,
                           const MemorySaveTexts& texts = {});

// One filter of a browse dialog: "Plik tekstowy (*.txt)" and "txt".
struct FileFilter {
    std::string label;
    std::string extension;   // without the dot; empty for a pattern like "*.*"
    bool operator==(const FileFilter&) const = default;
};
// Splits "label|pattern|label|pattern||" (string 226) into its filters.
std::vector<FileFilter> parseFileFilters(std::string_view filters);

// A name chosen in the browse dialog without an extension gets ".txt",
// ".csv" or ".qvg" for the first, second or third filter.
std::string withMemoryExtension(const std::string& path, int filterIndex);

struct MemorySaveResult {
    // Cancelled: the file existed and the user chose to go back; it was not touched.
    enum class Status { Saved, CannotOpen, WriteFailed, Cancelled };
    Status status = Status::Saved;
    std::string path;
    int errorNumber = 0;   // errno of the failed open, write or sync
    bool saved() const { return status == Status::Saved; }
};

// Asks appendExisting when the file exists (true appends, false empties it;
// a file locked by a second writer or not a regular file cannot be opened),
// then writes the whole file beside it (FileReplacement: what it held first
// when appending, then the records), syncs it and renames it over the file.
// A name ending in ".qvg" gets the binary records (writeMemoryRecords), any
// other the text file. Saved only when every byte reached the disk; a save
// that fails leaves the file as it was.
MemorySaveResult saveMemoryFile(const std::string& path, const std::vector<MemoryRecord>& records,
                                const MemorySaveOptions& options, const std::function<bool()>& appendExisting,
                                const MemorySaveTexts& texts = {});

// What becomes of a file that exists already.
enum class ExistingFile { Append, Empty, Cancel };
// The same save with a way back: whenExisting may answer Cancel, and the
// file is then closed as it was (status Cancelled). Without a question the
// file is appended to.
MemorySaveResult saveMemoryFileAsking(const std::string& path, const std::vector<MemoryRecord>& records,
                                      const MemorySaveOptions& options,
                                      const std::function<ExistingFile()>& whenExisting,
                                      const MemorySaveTexts& texts = {});

// What the user is told about a failed save (UTF-8; empty when saved or
// cancelled): 132
// when the file could not be opened; for a failed write or sync 360 with the
// file's name and the system's reason.
std::string memorySaveFailureText(const MemorySaveResult& result);

}  // namespace mr420
