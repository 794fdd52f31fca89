#include "recording/RegistrationSettings.h"

#include <gtest/gtest.h>

namespace mr420 {
namespace {

TEST(RegistrationSettings, ChannelMaskBits) {
    RegistrationSettings s;
    EXPECT_EQ(channelMaskOf(s), 63);
    s.fileChannels = {true, false, false, false, false, false};
    EXPECT_EQ(channelMaskOf(s), 16);
    s.fileChannels = {false, true, false, false, false, false};
    EXPECT_EQ(channelMaskOf(s), 32);
    s.fileChannels = {false, false, true, true, false, false};
    EXPECT_EQ(channelMaskOf(s), 4 | 8);
    s.fileChannels = {false, false, false, false, true, true};
    EXPECT_EQ(channelMaskOf(s), 2 | 1);
}

TEST(RegistrationSettings, SeparatorsAndControlStates) {
    EXPECT_EQ(separatorFor(0), '\t');
    EXPECT_EQ(separatorFor(1), ',');
    EXPECT_EQ(separatorFor(2), ';');
    EXPECT_EQ(separatorFor(-1), '\t');
    EXPECT_EQ(separatorFor(3), '\t');

    RegistrationSettings s;
    RegistrationControls c = registrationControls(s);
    EXPECT_FALSE(c.textControls);
    EXPECT_FALSE(c.commentControls);
    EXPECT_FALSE(c.binaryControls);
    s.checkComment = true;
    EXPECT_FALSE(registrationControls(s).commentControls);   // follows the text switch
    s.fileLog = true;
    EXPECT_TRUE(registrationControls(s).commentControls);
    s.checkComment = false;
    c = registrationControls(s);
    EXPECT_TRUE(c.textControls);
    EXPECT_FALSE(c.commentControls);
    s.fileLogBin = true;
    EXPECT_TRUE(registrationControls(s).binaryControls);
}

TEST(RegistrationSettings, IntervalPicker) {
    EXPECT_EQ(pickerTimeOf(60), (PickerTime{0, 1, 0}));
    EXPECT_EQ(pickerTimeOf(86399), (PickerTime{23, 59, 59}));
    EXPECT_EQ(pickerTimeOf(3725), (PickerTime{1, 2, 5}));
    EXPECT_EQ(intervalFromPicker(true, {0, 0, 0}), 1);
    EXPECT_EQ(intervalFromPicker(false, {1, 0, 0}), 1);
    EXPECT_EQ(intervalFromPicker(true, {23, 59, 59}), 86399);
    EXPECT_EQ(intervalFromPicker(true, {0, 1, 30}), 90);
    EXPECT_EQ(intervalFromPicker(true, {24, 0, 0}), 1);
}

TEST(RegistrationSettings, OkNeedsOneChannelEvenWithRegistrationOff) {
    RegistrationSettings s;
    EXPECT_EQ(validateRegistration(s), 0);
    s.fileChannels = {};
    EXPECT_EQ(validateRegistration(s), kMsgNoChannelSelected);
    s.fileChannels[kChannelWb] = true;
    EXPECT_EQ(validateRegistration(s), 0);
}

TEST(RegistrationSettings, BrowseExtensions) {
    EXPECT_EQ(withTextExtension("/home/a/pomiar", 0), "/home/a/pomiar.txt");
    EXPECT_EQ(withTextExtension("/home/a/pomiar", 1), "/home/a/pomiar.csv");
    EXPECT_EQ(withTextExtension("/home/a/pomiar.dat", 1), "/home/a/pomiar.dat");
    EXPECT_EQ(withTextExtension("/home/a.b/pomiar", 0), "/home/a.b/pomiar.txt");
    EXPECT_EQ(withTextExtension("/home/a/.hidden", 0), "/home/a/.hidden.txt");
    EXPECT_EQ(withBinaryExtension("/tmp/wykres"), "/tmp/wykres.qvg");
    EXPECT_EQ(withBinaryExtension("/tmp/wykres.qvg"), "/tmp/wykres.qvg");
}

TEST(RegistrationSettings, ApplyPlan) {
    RegistrationSettings off;
    RegistrationSettings text = off;
    text.fileLog = true;
    text.fileName = "/tmp/a.txt";

    RegistrationPlan p = planRegistration(off, text, false, false);
    EXPECT_TRUE(p.reopenText);
    EXPECT_TRUE(p.writeText);
    EXPECT_FALSE(p.reopenBinary);
    EXPECT_TRUE(p.startTimer);
    EXPECT_FALSE(p.stopTimer);

    // OK without a change: no re-open, one record at once, timer restarted.
    p = planRegistration(text, text, true, false);
    EXPECT_FALSE(p.reopenText);
    EXPECT_TRUE(p.writeText);
    EXPECT_TRUE(p.startTimer);

    // Channel selection alone keeps the file; separator or name re-open it.
    RegistrationSettings changed = text;
    changed.fileChannels[kChannelRh] = false;
    EXPECT_FALSE(planRegistration(text, changed, true, false).reopenText);
    changed.sepFormat = 2;
    EXPECT_TRUE(planRegistration(text, changed, true, false).reopenText);
    changed = text;
    changed.fileName = "/tmp/b.txt";
    EXPECT_TRUE(planRegistration(text, changed, true, false).reopenText);

    // Switching everything off closes and stops.
    p = planRegistration(text, off, true, false);
    EXPECT_TRUE(p.closeText);
    EXPECT_TRUE(p.stopTimer);
    EXPECT_FALSE(p.startTimer);
    EXPECT_FALSE(p.writeText);

    RegistrationSettings bin = text;
    bin.fileLogBin = true;
    bin.fileNameBin = "/tmp/a.qvg";
    p = planRegistration(text, bin, true, false);
    EXPECT_FALSE(p.reopenText);
    EXPECT_TRUE(p.reopenBinary);
    EXPECT_TRUE(p.writeBinary);

    RegistrationSettings cancelled = bin;
    applyRegistrationCancel(cancelled, true, false);
    EXPECT_TRUE(cancelled.fileLog);
    EXPECT_FALSE(cancelled.fileLogBin);
}

}  // namespace
}  // namespace mr420
