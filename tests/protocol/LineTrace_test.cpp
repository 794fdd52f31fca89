// What the line trace hides: the PIN and the PAP password, in the frame that
// carries them and in the panel's echo, checksum included; nothing else.

#include <gtest/gtest.h>

#include "protocol/LineTrace.h"

namespace mr420 {
namespace {

TEST(LineTrace, SecretsAreHiddenInFramesAndEchoesAndNothingElseIs) {
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        // PIN 0042 as character codes, its LRC.
        {"02560030303432C4", "025600**********"},
        {"025600:30303432:0000:7A", "025600:********:0000:**"},
        // PAP password chunk 3 ("abc"): selector and chunk stay readable.
        {"0263002361626364", "02630023********"},
        {"026300:23616263:0000:5E", "026300:23******:0000:**"},
        // The APN and the PAP login (texts 0 and 1) are not secret.
        {"0263000361626364", "0263000361626364"},
        {"026300:13616263:0000:5E", "026300:13616263:0000:5E"},
        // Other commands, short or garbled lines.
        {"020A00F4", "020A00F4"},
        {"025600", "025600"},
        {"0256003", "025600*"},
        {"025600:31", "025600:**"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(withoutSecrets(c.line), c.shown) << c.line;
}

}  // namespace
}  // namespace mr420
