#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/TextFormat.h"

namespace {
std::string Narrow(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}
}  // namespace

TEST(ReplaceAll, EveryOccurrenceLeftToRightWithoutRescan) {
    EXPECT_EQ("KESTAL-3 5 9 Driver Settings",
              Narrow(ReplaceAll(u"__MODEL__ Driver Settings", u"__MODEL__", MODEL_STRING)));
    EXPECT_EQ("x y x", Narrow(ReplaceAll(u"__M__ y __M__", u"__M__", u"x")));
    EXPECT_EQ("ba a", Narrow(ReplaceAll(u"aaa a", u"aa", u"b"))) << "no overlap";
    EXPECT_EQ("_A_A_", Narrow(ReplaceAll(u"_A_", u"_A_", u"_A_A_"))) << "no rescan";
    EXPECT_EQ("text", Narrow(ReplaceAll(u"text", u"", u"z")));
    EXPECT_EQ("", Narrow(ReplaceAll(u"", u"a", u"z")));
}

TEST(FormatText, NumbersRightAlignedInTheirWidth) {
    EXPECT_EQ("  256 samples ( 44100 Hz)",
              Narrow(FormatText(u"%5d samples (%6d Hz)", {256, 44100})));
    EXPECT_EQ("    48 Hz", Narrow(FormatText(u"%6d Hz", {48})));
    EXPECT_EQ("352800Hz", Narrow(FormatText(u"%6dHz", {352800})));
    EXPECT_EQ("1234567", Narrow(FormatText(u"%3d", {1234567}))) << "never truncated";
    EXPECT_EQ("-2147483648", Narrow(FormatText(u"%d", {INT32_MIN})));
    EXPECT_EQ("-0042|", Narrow(FormatText(u"%05d|", {-42})));
    EXPECT_EQ("7   |", Narrow(FormatText(u"%-4d|", {7})));
}

TEST(FormatText, StringsAndPercent) {
    EXPECT_EQ("KESTAL-3 5 9(3)", Narrow(FormatText(u"%s(%d)", {MODEL_STRING, 3})));
    EXPECT_EQ("\\\\.\\Tkwm3340004", Narrow(FormatText(u"\\\\.\\%s00%d", {u"Tkwm3340", 4})));
    EXPECT_EQ("100%", Narrow(FormatText(u"%d%%", {100})));
}

TEST(FormatText, HostileFormatsCannotMisbehave) {
    EXPECT_EQ("0 and ", Narrow(FormatText(u"%d and %s", {}))) << "missing arguments";
    EXPECT_EQ("0", Narrow(FormatText(u"%d", {u"text"}))) << "string where a number is due";
    EXPECT_EQ("", Narrow(FormatText(u"%s", {5}))) << "number where a string is due";
    EXPECT_EQ("50%", Narrow(FormatText(u"50%", {})));
    EXPECT_EQ("%x %-%", Narrow(FormatText(u"%x %-%", {1})));
    std::u16string wide = FormatText(u"%99999999999999999999d", {1});
    EXPECT_EQ(static_cast<size_t>(FORMAT_MAX_WIDTH), wide.size()) << "width is bounded";
    EXPECT_EQ(u'1', wide.back());
}
