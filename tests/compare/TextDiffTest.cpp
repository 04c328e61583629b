// The comparison of two texts: line splitting, the unified difference of
// equal, changed, reordered and empty texts, line ends that differ, and
// the whole-text view a window shows.
#include <gtest/gtest.h>

#include <random>

#include "compare/RestoreDiff.h"
#include "compare/TextDiff.h"

namespace brelko {
namespace {

std::string Numbered(int count, int changed = 0, const char* end = "\n") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += (i == changed ? "CHANGED" : "line " + std::to_string(i)) + end;
    return text;
}

TEST(SplitLinesTest, EachLineKeepsItsOwnEnd) {
    const std::vector<TextLine> lines = SplitLines("a\r\nb\nc\rd\n\r\nlast");
    const std::vector<TextLine> expected = {
        {"a", LineEnd::CrLf}, {"b", LineEnd::Lf}, {"c\rd", LineEnd::Lf}, {"", LineEnd::CrLf}, {"last", LineEnd::None},
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\n"), (std::vector<TextLine>{{"", LineEnd::Lf}}));
    EXPECT_EQ(SplitLines("\r"), (std::vector<TextLine>{{"\r", LineEnd::None}}));
}

TEST(TextDiffTest, UnifiedDifferences) {
    struct Case {
        const char* name;
        std::string oldText;
        std::string newText;
        std::string unified;  // without the two header lines
    };
    const Case cases[] = {
        {"equal", "a\nb\n", "a\nb\n", ""},
        {"both empty", "", "", ""},
        {"old empty", "", "a\nb\n", "@@ -0,0 +1,2 @@\n+a\n+b\n"},
        {"new empty", "a\nb\n", "", "@@ -1,2 +0,0 @@\n-a\n-b\n"},
        {"one line changed among ten", Numbered(10), Numbered(10, 5),
         "@@ -2,7 +2,7 @@\n line 2\n line 3\n line 4\n-line 5\n+CHANGED\n line 6\n line 7\n line 8\n"},
        {"first line changed", Numbered(3), Numbered(3, 1), "@@ -1,3 +1,3 @@\n-line 1\n+CHANGED\n line 2\n line 3\n"},
        {"one line each", "x\n", "y\n", "@@ -1 +1 @@\n-x\n+y\n"},
        {"reordered", "a\nb\nc\n", "c\na\nb\n", "@@ -1,3 +1,3 @@\n+c\n a\n b\n-c\n"},
        {"appended", "a\n", "a\nb\n", "@@ -1 +1,2 @@\n a\n+b\n"},
        {"CR LF against LF", "Gain=5\r\nMode=2\r\n", "Gain=5\nMode=2\n",
         "@@ -1,2 +1,2 @@\n-Gain=5<CR><LF>\n-Mode=2<CR><LF>\n+Gain=5<LF>\n+Mode=2<LF>\n"},
        {"same ends, value changed", "Gain=5\r\nMode=2\r\n", "Gain=6\r\nMode=2\r\n",
         "@@ -1,2 +1,2 @@\n-Gain=5\n+Gain=6\n Mode=2\n"},
        {"no line end at the end", "a\nb", "a\nb\n", "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b<LF>\n"},
        {"control bytes shown", "a\x01\tb\n", "a\x02\tb\n", "@@ -1 +1 @@\n-a<01>\tb\n+a<02>\tb\n"},
    };
    for (const Case& c : cases) {
        const TextDiff diff(c.oldText, c.newText);
        EXPECT_EQ(diff.Equal(), c.unified.empty()) << c.name;
        const std::string expected = c.unified.empty() ? "" : "--- old\n+++ new\n" + c.unified;
        EXPECT_EQ(diff.Unified("old", "new"), expected) << c.name;
    }
}

TEST(TextDiffTest, ChangesFarApartGetHunksOfTheirOwnAndCloseOnesShareOne) {
    std::string far = Numbered(20);
    far.replace(far.find("line 2\n"), 6, "two");
    far.replace(far.find("line 19\n"), 7, "nineteen");
    const TextDiff apart(Numbered(20), far);
    ASSERT_EQ(apart.Hunks().size(), 2u);
    EXPECT_EQ(apart.Hunks()[0].oldStart, 1u);
    EXPECT_EQ(apart.Hunks()[0].oldCount, 5u);
    EXPECT_EQ(apart.Hunks()[1].oldStart, 16u);
    EXPECT_EQ(apart.Hunks()[1].oldCount, 5u);
    EXPECT_EQ(apart.RemovedCount(), 2u);
    EXPECT_EQ(apart.AddedCount(), 2u);

    // Six unchanged lines between two changes: their contexts meet.
    std::string close = Numbered(20);
    close.replace(close.find("line 5\n"), 6, "five");
    close.replace(close.find("line 12\n"), 7, "twelve");
    const TextDiff joined(Numbered(20), close);
    ASSERT_EQ(joined.Hunks().size(), 1u);
    EXPECT_EQ(joined.Hunks()[0].oldStart, 2u);
    EXPECT_EQ(joined.Hunks()[0].oldCount, 14u);

    const TextDiff tight(Numbered(20), close, 0);
    EXPECT_EQ(tight.Hunks().size(), 2u);
}

// The whole-text view holds every line of both texts, so each text can be
// built back from it: what a window shows is complete and in order.
TEST(TextDiffTest, TheWholeTextViewRebuildsBothTexts) {
    std::mt19937 random(14);
    const char* pieces[] = {"Gain=5", "Mode=2", "[END]", "", "Name=Line 3", "Offset=-12"};
    const char* ends[] = {"\n", "\r\n"};
    for (int round = 0; round < 50; ++round) {
        std::string texts[2];
        for (std::string& text : texts) {
            const int lines = static_cast<int>(random() % 12);
            for (int i = 0; i < lines; ++i) text += std::string(pieces[random() % 6]) + ends[random() % 2];
            if (random() % 4 == 0) text += "tail";
        }
        const TextDiff diff(texts[0], texts[1], TextDiff::WHOLE_TEXT);
        if (texts[0] == texts[1]) {
            EXPECT_TRUE(diff.Equal());
            continue;
        }
        ASSERT_EQ(diff.Hunks().size(), 1u);
        std::string rebuilt[2];
        std::size_t expectOld = 1, expectNew = 1;
        for (const DiffLine& line : diff.Hunks()[0].lines) {
            const std::string bytes =
                line.line.text + (line.line.end == LineEnd::CrLf ? "\r\n" : line.line.end == LineEnd::Lf ? "\n" : "");
            if (line.kind != DiffKind::Added) {
                rebuilt[0] += bytes;
                EXPECT_EQ(line.oldNumber, expectOld++);
            }
            if (line.kind != DiffKind::Removed) {
                rebuilt[1] += bytes;
                EXPECT_EQ(line.newNumber, expectNew++);
            }
        }
        EXPECT_EQ(rebuilt[0], texts[0]);
        EXPECT_EQ(rebuilt[1], texts[1]);
    }
}

TEST(RestoreDiffTest, OnlyWhatARestoreSendsIsCompared) {
    struct Case {
        std::string backup;
        std::string sent;
    };
    const Case cases[] = {
        {"\r\nGain=5\r\n[END]\r\n", "\r\nGain=5\r\n[END]\r\n"},
        {"Gain=5\n[END]\nleft over\n", "Gain=5\n[END]\n"},
        {"Gain=5\n[END]junk\n", "Gain=5\n[END]"},
        {"Gain=5\n[END]", "Gain=5\n[END]"},
        {"Gain=5\n[END]\n[END]\n", "Gain=5\n[END]\n"},  // the first marker ends it
        {"no marker\n", "no marker\n"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(RestoredPart(c.backup), c.sent) << c.backup;

    // What follows the marker in the file is not sent, so it changes nothing.
    const std::string system = "\r\nGain=5\r\nMode=2\r\n[END]\r\n";
    EXPECT_TRUE(CompareForRestore(system, system + "notes of the technician\r\n").Equal());
    const TextDiff change = CompareForRestore(system, "\r\nGain=7\r\nMode=2\r\n[END]\r\n");
    EXPECT_EQ(change.Unified("system", "file"),
              "--- system\n+++ file\n@@ -1,4 +1,4 @@\n \n-Gain=5\n+Gain=7\n Mode=2\n [END]\n");
}

}  // namespace
}  // namespace brelko
