#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "exchange/RequestRules.h"
#include "exchange/VersionReply.h"

namespace brelko {
namespace {

SystemIdentity At(const std::string& product, int version, bool serviceData = false) {
    return SystemIdentity{product, version, serviceData};
}

int V(const char* text) {
    int n = 0;
    EXPECT_TRUE(ParseVersionText(text, &n)) << text;
    return n;
}

// Every range of every set, with an observable effect that only that set
// has for that product: true at and just inside each bound, false just
// outside.
struct RangeCase {
    const char* name;
    const char* product;
    const char* low;
    const char* high;
    std::function<bool(const SystemIdentity&)> effect;
};

TEST(RequestRules, EveryRangeAtInsideAndOutsideItsBounds) {
    auto menuA = [](const SystemIdentity& s) { return GetMenuCommand(s) == "GETSETUP"; };
    auto languageA = [](const SystemIdentity& s) { return GetLanguageCommand(s) == "GETALLMENUS"; };
    auto pictureAB = [](const SystemIdentity& s) { return GetPictureCommand(s) == "PICT SEND"; };
    auto backupAC = [](const SystemIdentity& s) {
        bool upload = GetBackupCommand(s) == "UPLOAD";
        EXPECT_EQ(upload, GetRestoreCommand(s) == "DOWNLOAD") << s.product << " " << s.version;
        return upload;
    };
    auto extraX = [](const SystemIdentity& s) { return HasExtraPictureByte(s) == 1; };
    auto hexH = [](const SystemIdentity& s) {
        bool hex = IsHexPictureSystem(s) == 1;
        EXPECT_EQ(hex, GetPictureCommand(s) == "GET PICTURE /HEX") << s.version;
        return hex;
    };
    const RangeCase ranges[] = {
        {"A TZ220 menu", "TZ220", "2.11.A", "2.99.Z", menuA},
        {"A TZ220 language", "TZ220", "2.11.A", "2.99.Z", languageA},
        {"A TZ220 picture", "TZ220", "2.11.A", "2.99.Z", pictureAB},
        {"A TZ220 backup", "TZ220", "2.11.A", "2.99.Z", backupAC},
        {"A TZ410 menu", "TZ410", "1.1.A", "1.99.Z", menuA},
        {"A TZ410 language", "TZ410", "1.1.A", "1.99.Z", languageA},
        {"A TZ410 picture", "TZ410", "1.1.A", "1.99.Z", pictureAB},
        {"A TZ410 backup", "TZ410", "1.1.A", "1.99.Z", backupAC},
        {"B TZ410 picture", "TZ410", "3.0.A", "3.2.D", pictureAB},
        {"C TZ220 backup", "TZ220", "4.1.A", "4.2.E", backupAC},
        {"C TZ410 backup", "TZ410", "3.0.A", "3.2.E", backupAC},
        {"X TZ220 low", "TZ220", "2.0.A", "2.11.Z", extraX},
        {"X TZ220 high", "TZ220", "2.20.A", "2.20.N", extraX},
        {"X TZ410 low", "TZ410", "1.0.A", "1.2.Z", extraX},
        {"X TZ410 high", "TZ410", "1.20.A", "1.20.N", extraX},
        {"H KALDspot", "KALDspot", "1.6.L", "1.8.C", hexH},
    };
    for (const RangeCase& r : ranges) {
        const int low = V(r.low), high = V(r.high);
        for (int v : {low, low + 1, high - 1, high}) EXPECT_TRUE(r.effect(At(r.product, v))) << r.name << " at " << v;
        for (int v : {low - 1, high + 1}) EXPECT_FALSE(r.effect(At(r.product, v))) << r.name << " at " << v;
    }
}

TEST(RequestRules, MatchModelIsInclusiveAndCaseSensitive) {
    EXPECT_EQ(MatchModel(At("TZ410", 10), "TZ410", 10, 20), 1);
    EXPECT_EQ(MatchModel(At("TZ410", 20), "TZ410", 10, 20), 1);
    EXPECT_EQ(MatchModel(At("TZ410", 9), "TZ410", 10, 20), 0);
    EXPECT_EQ(MatchModel(At("TZ410", 21), "TZ410", 10, 20), 0);
    EXPECT_EQ(MatchModel(At("tz410", 15), "TZ410", 10, 20), 0);
    EXPECT_EQ(MatchModel(At("TZ4100", 15), "TZ410", 10, 20), 0);
    EXPECT_EQ(MatchModel(At("", 15), "", 10, 20), 1);
}

struct WordsCase {
    SystemIdentity system;
    const char* picture;
    const char* menu;
    const char* language;
    const char* backup;
    const char* restore;
    int hex;
    int extra;
};

TEST(RequestRules, RequestWordsPerSystem) {
    const WordsCase cases[] = {
        // TZ410 3.2.E: set C but not B.
        {At("TZ410", V("3.2.E")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", 0, 0},
        {At("TZ410", V("3.2.D")), "PICT SEND", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", 0, 0},
        // TZ220 2.11.A: sets A and X overlap.
        {At("TZ220", V("2.11.A")), "PICT SEND", "GETSETUP", "GETALLMENUS", "UPLOAD", "DOWNLOAD", 0, 1},
        {At("TZ220", V("2.20.C")), "PICT SEND", "GETSETUP", "GETALLMENUS", "UPLOAD", "DOWNLOAD", 0, 1},
        {At("TZ220", V("2.5.B")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 1},
        {At("TZ220", V("4.1.A")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", 0, 0},
        {At("TZ410", V("1.0.A")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 1},
        {At("TZ410", V("1.1.A")), "PICT SEND", "GETSETUP", "GETALLMENUS", "UPLOAD", "DOWNLOAD", 0, 1},
        // KALDspot: always "GET MENUS 255", backup "GET ALL" with " LEARN" only for service data.
        {At("KALDspot", V("1.7.A")), "GET PICTURE /HEX", "GET MENUS 255", "GET LANGUAGE", "GET ALL", "SET ALL", 1, 0},
        {At("KALDspot", V("1.7.A"), true), "GET PICTURE /HEX", "GET MENUS 255", "GET LANGUAGE", "GET ALL LEARN",
         "SET ALL", 1, 0},
        {At("KALDspot", V("2.11.A"), true), "GET PICTURE", "GET MENUS 255", "GET LANGUAGE", "GET ALL LEARN", "SET ALL",
         0, 0},
        // Service data means nothing to other products.
        {At("TZ410", V("1.0.A"), true), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 1},
        // Letter case of the token, unknown products and versions outside every range: the oldest words.
        {At("tz220", V("2.11.A")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
        {At("kaldspot", V("1.7.A"), true), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
        {At("TZ220", V("9.9.A")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
        {At("TZ410", V("2.0.A")), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
        {At("TZ410", 0), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
        {At("", 0), "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", 0, 0},
    };
    for (const WordsCase& c : cases) {
        const std::string where = c.system.product + " " + std::to_string(c.system.version);
        EXPECT_EQ(GetPictureCommand(c.system), c.picture) << where;
        EXPECT_EQ(GetMenuCommand(c.system), c.menu) << where;
        EXPECT_EQ(GetLanguageCommand(c.system), c.language) << where;
        EXPECT_EQ(GetBackupCommand(c.system), c.backup) << where;
        EXPECT_EQ(GetRestoreCommand(c.system), c.restore) << where;
        EXPECT_EQ(IsHexPictureSystem(c.system), c.hex) << where;
        EXPECT_EQ(HasExtraPictureByte(c.system), c.extra) << where;
    }
}

}  // namespace
}  // namespace brelko
