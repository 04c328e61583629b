#include <gtest/gtest.h>

#include <string>

#include "exchange/VersionReply.h"

namespace brelko {
namespace {

struct TextCase {
    const char* text;
    int number;
};

TEST(VersionNumber, FromVersionText) {
    const TextCase cases[] = {
        {"1.6.L", 106019},  {"2.11.A", 211014}, {"1.0.A", 100002},  {"2.99.Z", 299127}, {"1.1.A", 101003},
        {"1.99.Z", 199126}, {"3.0.A", 300004},  {"3.2.D", 302009},  {"3.2.E", 302010},  {"4.1.A", 401006},
        {"4.2.E", 402011},  {"2.0.A", 200003},  {"2.11.Z", 211039}, {"2.20.A", 220023}, {"2.20.N", 220036},
        {"1.2.Z", 102029},  {"1.20.A", 120022}, {"1.20.N", 120035}, {"1.8.C", 108012},
        // A letter below '@' wraps: '?' adds 255, '@' adds 0, '0' adds 240.
        {"1.6.?", 100001 + 6006 + 255}, {"1.6.@", 106007}, {"1.6.0", 106007 + 240},
        // Lower case is just another code.
        {"1.0.a", 100001 + 33},
        {"0.0.A", 1},
    };
    for (const TextCase& c : cases) {
        int n = -1;
        ASSERT_TRUE(ParseVersionText(c.text, &n)) << c.text;
        EXPECT_EQ(n, c.number) << c.text;
    }
}

TEST(VersionNumber, LettersAboveAsciiWrapModulo256) {
    EXPECT_EQ(VersionNumber(0, 0, 0x80), 64);
    EXPECT_EQ(VersionNumber(0, 0, 0xFF), 191);
    EXPECT_EQ(VersionNumber(0, 0, 0x00), 192);
    EXPECT_EQ(VersionNumber(-1, 0, 'A'), -100000);
}

TEST(VersionNumber, UnreadableTextsAreRefused) {
    for (const char* text : {"", "1", "1.6", "1.6.", "A.6.L", "1,6,L", "v1.6.L", ".6.L"}) {
        int n = 12345;
        EXPECT_FALSE(ParseVersionText(text, &n)) << text;
        EXPECT_EQ(n, 12345) << text;
    }
}

struct ReplyCase {
    std::string reply;
    std::string product;
    std::string version;
    int number;
};

TEST(VersionReply, WordsAndBounds) {
    const std::string product19 = "ABCDEFGHIJKLMNOPQRS";
    const ReplyCase cases[] = {
        {"TZ410 V 3.2.E", "TZ410", "3.2.E", 302010},
        {"TZ220 2.11.A", "TZ220", "2.11.A", 211014},  // two words: the second is the version
        {"X 1.0.A", "X", "1.0.A", 100002},
        {"  KALDspot\tREL   1.7.A  extra words", "KALDspot", "1.7.A", 107009},
        // Fewer than two words or an unreadable version: a defined 0.
        {"", "", "", 0},
        {"KALDspot", "KALDspot", "", 0},
        {"TZ410 V garbage", "TZ410", "garbage", 0},
        {"TZ410 1.6", "TZ410", "1.6", 0},
        // Product token: 19 characters are kept, a 20th is cut.
        {product19 + " V 1.0.A", product19, "1.0.A", 100002},
        {product19 + "T V 1.0.A", product19, "1.0.A", 100002},
        // Version word: 7 characters are kept, the 8th is cut.
        {"T V 10.20.A", "T", "10.20.A", 1020031},
        {"T V 1.6.Lxyz", "T", "1.6.Lxy", 106019},
        {"T V 10.200.A", "T", "10.200.", 0},
        // An over-long second word does not shift the third.
        {"TZ410 ABCDEFGHIJKLMNOPQRSTUVWXYZ 1.2.A", "TZ410", "1.2.A", 102004},
        // Huge numbers are cut to seven characters before they are read.
        {"T V 99999999999999.1.A", "T", "9999999", 0},
    };
    for (const ReplyCase& c : cases) {
        VersionReply r = ParseVersionReply(c.reply);
        EXPECT_EQ(r.product, c.product) << c.reply;
        EXPECT_EQ(r.version, c.version) << c.reply;
        EXPECT_EQ(r.number, c.number) << c.reply;
    }
}

TEST(VersionReply, OnlyAWholeVersionTextIsOneTheRulesCanCompare) {
    struct Case {
        const char* text;
        bool version;
    };
    const Case cases[] = {
        {"3.2.E", true},      {"10.20.A", true},    {"1.0.a", true},
        {"3\xd1" "2.E", false}, {"3..E", false},    {"32.E", false},  {"3.2.", false},
        {"3.2.EF", false},    {"3.2.?", false},     {".2.E", false},  {"3.2.\x8f", false},
        {"", false},          {"3.2.E ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsVersionText(c.text), c.version) << c.text;
    // The reply's own word counts whole, not cut to the length that is kept.
    EXPECT_TRUE(ParseVersionReply("T V 10.20.A").readable);
    EXPECT_FALSE(ParseVersionReply("T V 1.6.Lxyz").readable);
    EXPECT_FALSE(ParseVersionReply("KALDspot").readable);
}

TEST(VersionReply, TrailingSpaceIsRemoved) {
    EXPECT_EQ(TrimTrailingSpace("TZ410 V 3.2.E \r\n"), "TZ410 V 3.2.E");
    EXPECT_EQ(TrimTrailingSpace("  a b\t\n"), "  a b");
    EXPECT_EQ(TrimTrailingSpace(" \r\n"), "");
    EXPECT_EQ(TrimTrailingSpace(""), "");
}

}  // namespace
}  // namespace brelko
