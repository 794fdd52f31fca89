#pragma once
// Live registration: one record per tick to the text/CSV file and to the
// binary measurement file, from what the panes show. The dialog, the message
// boxes and the interval timer belong to the front end; this class opens the
// files, writes the opening comment and the records, and remembers the last
// header written.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/StringTable.h"
#include "ui/LiveReadings.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordFile.h"
#include "recording/RegistrationSettings.h"

namespace mr420 {

// Texts of the string table that go into the text file (UTF-8 here, written
// in Windows-1250).
struct RegistrationTexts {
    std::string dateTime = "Data i Godzina";   // 166
    // Column titles in Channel order: 160, 161, 164, 163, 162, 165.
    std::array<std::string, kChannelCount> titles{
        "Temperatura1 °C", "Temperatura2 °C", "Wilgotność %", "Ciśnienie hPa", "Punkt rosy °C",
        "Zawartość pary wodnej ppm"};
    std::string panelNumber = "Panel MR-420 nr";   // 189
};

// The head texts of a text file (RegistrationTexts or MemorySaveTexts) as
// the string table holds them in the current language: the date column's
// title, the six column titles in channel order and the panel number.
template <class Texts>
Texts headTextsFromStringTable(int dateTimeId, const std::array<int, kChannelCount>& titleIds) {
    Texts texts;
    texts.dateTime = str(dateTimeId);
    for (std::size_t c = 0; c < titleIds.size(); ++c) texts.titles[c] = str(titleIds[c]);
    texts.panelNumber = str(string_id::kPanelNumberTitle);
    return texts;
}

// A field of the text file as written: a field that holds the column
// separator goes in double quotes with each quote in it doubled (RFC 4180),
// so that "22,2" stays one column of a comma file; any other field is
// returned unchanged. Every field and line of the text file passes here.
std::string quoteField(std::string_view field, char separator);

// Builds one text record (header part included when withHeader), in
// Windows-1250 with CR LF. Columns in the order TEMP1, TEMP2, PRESSURE, RH,
// DP, WB; "???" for a pane without a value or blinking; a temperature without
// hundredths, humidity and dew point with their tenths cut as the panes show
// them. Numbers use the process locale's decimal separator; header titles and
// values are quoted by quoteField().
std::string textRecord(const RegistrationSettings& settings, const LocalTime& time, const LiveReadings& panes,
                       bool temperatureTwoDecimals, bool withHeader, const RegistrationTexts& texts = {});

// The block written after opening from the dialog when FILE_CHECK_COMMENT is
// on: an empty line when appending, one line per comment line, the panel
// number line. Each line is one field of a file with the given separator.
std::string openingComment(bool appending, const std::string& commentUtf8, bool withSerialNumber,
                           long panelSerialNumber, char separator, const RegistrationTexts& texts = {});

// The reply serials of the readings of one record, by channel.
using RecordSerials = std::array<std::uint64_t, kChannelCount>;

// A record never carries a reading that no reply has brought since the
// record written before it (of the same file kind), nor one older than the
// reply time-out: such a channel is written as a channel without value
// ("???"). `previous` holds the serials of the record before.
LiveReadings freshReadings(const LiveReadings& panes, const RecordSerials& previous);
// After a record has been written: the serials it took.
void noteRecorded(const LiveReadings& panes, RecordSerials& previous);

class RegistrationLog {
public:
    // Asked only when the file already existed: true = append, false = truncate.
    // It may run an event loop in which registration ticks come; the file
    // takes no record until it has answered.
    using AppendQuestion = std::function<bool()>;

    explicit RegistrationLog(RegistrationTexts texts = {});

    // Opening from the dialog (re-opening closes the old file first). Returns
    // false when the file cannot be opened (message 106 / 123 is the caller's).
    // Resets the header memory; writes the comment block when the settings ask.
    bool openTextFromDialog(const RegistrationSettings& settings, const std::string& commentUtf8,
                            long panelSerialNumber, const AppendQuestion& appendExisting);
    bool openBinaryFromDialog(const std::string& path, const AppendQuestion& appendExisting);

    // Opening after start-up: an existing file is appended to without asking,
    // no comment, the header memory stays.
    bool reopenTextAfterStart(const std::string& path);
    bool reopenBinaryAfterStart(const std::string& path);

    void closeText() { text_.close(); }
    void closeBinary() { binary_.close(); }
    bool textOpen() const { return text_.isOpen(); }
    bool binaryOpen() const { return binary_.isOpen(); }

    // One record each; nothing happens when the file is not open or its
    // append question is still open. A failed write keeps registering and is
    // reported by lastWriteFailed().
    void writeTextRecord(const RegistrationSettings& settings, const LocalTime& time, const LiveReadings& panes,
                         bool temperatureTwoDecimals);
    void writeBinaryRecord(const LocalTime& time, const LiveReadings& panes, const ProbeSources& sources);

    // The timer tick: text record, then binary record.
    void onRegistrationTimer(const RegistrationSettings& settings, const LocalTime& time, const LiveReadings& panes,
                             const ProbeSources& sources);

    // The last write to an open file failed and none has succeeded since.
    bool lastWriteFailed() const { return text_.lastWriteFailed() || binary_.lastWriteFailed(); }

    int lastHeaderMask() const { return lastHeaderMask_; }

private:
    static bool positionAfterOpen(RecordFile& file, bool& asking, RecordFile::OpenResult result,
                                  const AppendQuestion& appendExisting, bool& appending);

    RegistrationTexts texts_;
    RecordFile text_;
    RecordFile binary_;
    // The file is open and its append question not yet answered.
    bool askingText_ = false;
    bool askingBinary_ = false;
    int lastHeaderMask_ = -1;
    // The reply serials of the last record written of each file kind.
    RecordSerials textSerials_{};
    RecordSerials binarySerials_{};
};

}  // namespace mr420
