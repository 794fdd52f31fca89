#pragma once
// A time-stamped record of the traffic on the panel's line, one text line per
// event, local time to the millisecond. The program's --trace and the
// simulated panel's --transcript write the same format, so a trace taken at a
// real panel reads like one taken at the simulated panel:
//   2026-12-08 10:15:02.481 > 020A00F4                      a frame to the panel
//   2026-12-08 10:15:02.493 < 020A00:0420:...:9D            a line from the panel
//   2026-12-08 10:15:02.493 # bad LRC                        a note
//   2026-12-08 10:15:08.481 - no reply                       silence
// Line ends (CR, LF) are not written; other control bytes are written as \xNN.
// A PIN and the PAP password never reach the file: in the frame that carries
// them and in the panel's echo of it, their digits and the checksum (which
// would narrow them down) are written as asterisks.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace mr420 {

// A frame or reply line with its secret digits replaced by '*'; any other
// line unchanged.
std::string withoutSecrets(std::string_view line);

class LineTrace {
public:
    LineTrace() = default;
    ~LineTrace();
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    // Appends to `path`; false when it cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const;

    // One event; frames ('>') and lines ('<') pass through withoutSecrets.
    // Safe from any thread; does nothing while closed.
    void write(char direction, std::string_view text);

private:
    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace mr420
