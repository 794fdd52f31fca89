// Hyperlink results: the reason of every failure code, the message, telling
// a URL from a file, and why a file target cannot be opened.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Hyperlink.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
struct ReasonCase {
    int code;
    const char* reason;
};
}  // namespace

TEST(Hyperlink, EveryFailureCodeHasItsReason) {
    const ReasonCase cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},
        {4, "Unknown Error (4) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const ReasonCase& c : cases) EXPECT_EQ(hyperlinkFailureReason(c.code), c.reason) << c.code;
}

TEST(Hyperlink, MessageNamesTheReasonAfterTheHeading) {
    EXPECT_EQ(hyperlinkFailureMessage(31),
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(hyperlinkFailureMessage(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
}

TEST(Hyperlink, OnlyCodesAbove32MeanOpened) {
    EXPECT_FALSE(linkOpened(32));
    EXPECT_FALSE(linkOpened(0));
    EXPECT_TRUE(linkOpened(33));
    EXPECT_TRUE(linkOpened(link_result::kOpened));
    for (int code : {link_result::kOutOfResources, link_result::kFileNotFound, link_result::kPathNotFound,
                     link_result::kAccessDenied, link_result::kNoAssociation})
        EXPECT_FALSE(linkOpened(code)) << code;
}

TEST(Hyperlink, TargetsWithASchemeAreToldFromFiles) {
    const std::pair<const char*, bool> cases[] = {
        {"https://example.org/", true},
        {"mailto:someone@example.org", true},
        {"file:///usr/share/doc", true},
        {"svn+ssh://host/x", true},
        {"/usr/share/mr420/help/pl/index.html", false},
        {"help/pl/index.html", false},
        {"C:\\help.html", false},  // a drive letter, not a scheme
        {"1abc:def", false},
        {"ab cd:x", false},
        {"", false},
        {":x", false},
    };
    for (const auto& [target, scheme] : cases) EXPECT_EQ(targetHasScheme(target), scheme) << target;
}

TEST(Hyperlink, FileTargetFailureSaysWhatIsMissing) {
    namespace fs = std::filesystem;
    const std::string dir = test::makeTempDir("hyperlink");
    const std::string file = dir + "/page.html";
    std::ofstream(file) << "<p>x</p>";
    EXPECT_FALSE(fileTargetFailure(file).has_value());
    EXPECT_EQ(fileTargetFailure(dir + "/missing.html"), link_result::kFileNotFound);
    EXPECT_EQ(fileTargetFailure(dir + "/no-folder/page.html"), link_result::kPathNotFound);
    EXPECT_EQ(fileTargetFailure(""), link_result::kFileNotFound);
    fs::remove_all(dir);
}
