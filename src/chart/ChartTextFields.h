#pragma once
// The pieces of a text or CSV line the chart readers take apart: fields,
// separators, the header's channel columns, and the checks on bytes and
// dates they share. Internal to the chart readers (ChartFiles.cpp); the
// date, reading and column-title parsers they build on are in ChartFiles.h.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mr420::chart_text {

// What a registration writes for a channel without value.
inline constexpr std::string_view kNoValue = "???";

// Without blanks, tabs and CR at either end.
std::string_view trim(std::string_view s);
// A calendar date from 1900 to 9999.
bool validDate(int year, int month, int day);
bool isValidUtf8(std::string_view s);
bool hasHighBytes(std::string_view s);

// RFC 4180 fields of one line. A quoted field ends at a quote not doubled;
// what follows it up to the separator is kept as it stands. A field that
// does not start with a quote is a piece of the line; a quoted one is
// unquoted into `scratch`, which holds no more than the line.
void splitFields(std::string_view line, char sep, std::string& scratch, std::vector<std::string_view>& fields);
// The separator of a header line: TAB, then ";", then "," outside quotes.
char separatorOf(std::string_view line);

struct Header {
    char separator = '\t';
    std::vector<int> channels;   // per field; -1 for the date and unknown columns
};

// A header: a first field that is no date and at least one column named
// after a channel. The fields split at `separator`, the first known to be
// no date.
std::optional<Header> headerOfFields(char separator, const std::vector<std::string_view>& fields);
std::optional<Header> headerOf(std::string_view line);
// At most 40 bytes of whole characters, "..." when cut.
std::string shortened(std::string_view s);

}  // namespace mr420::chart_text
