// The chart viewer's file readers against arbitrary bytes, read as text and
// as a .qvg file. Reads outside the input are caught by the sanitizers; the
// checks below hold for every input: each series is in time order, every
// point is a value or a gap (never infinite), no more rows are read than the
// input has lines or records, and every skipped entry names a line or record
// of the input with a reason.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "chart/ChartFiles.h"
#include "AsanOptions.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void checkResult(const mr420::ChartFileResult& r, std::size_t units) {
    check(r.rows >= 0 && static_cast<std::size_t>(r.rows) <= units);
    for (const auto& series : r.data.series) {
        for (std::size_t i = 0; i < series.size(); ++i) {
            check(!std::isinf(series[i].value));
            if (i > 0) check(series[i - 1].time <= series[i].time);
        }
    }
    for (const mr420::SkippedLine& s : r.skipped) {
        check(s.number >= 1 && static_cast<std::size_t>(s.number) <= units);
        check(!s.reason.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 1;
    for (char c : bytes) lines += c == '\n' ? 1 : 0;
    checkResult(mr420::readChartText(bytes), lines);
    // A .qvg record is at least a check mark and two check bytes.
    checkResult(mr420::readChartQvg(bytes), size / 3 + 1);
    (void)mr420::parseDateTimeText(bytes.substr(0, 64));
    return 0;
}
