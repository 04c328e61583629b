#include "exchange/RequestRules.h"

namespace brelko {
namespace {

constexpr std::string_view kTZ220 = "TZ220";
constexpr std::string_view kTZ410 = "TZ410";
constexpr std::string_view kKALDspot = "KALDspot";

}  // namespace

int MatchModel(const SystemIdentity& system, std::string_view token, int low, int high) {
    return system.product == token && low <= system.version && system.version <= high ? 1 : 0;
}

bool InSetA(const SystemIdentity& s) {
    return MatchModel(s, kTZ220, 211014, 299127) || MatchModel(s, kTZ410, 101003, 199126);  // 2.11.A-2.99.Z, 1.1.A-1.99.Z
}

bool InSetB(const SystemIdentity& s) {
    return MatchModel(s, kTZ410, 300004, 302009);  // 3.0.A-3.2.D
}

bool InSetC(const SystemIdentity& s) {
    return MatchModel(s, kTZ220, 401006, 402011) || MatchModel(s, kTZ410, 300004, 302010);  // 4.1.A-4.2.E, 3.0.A-3.2.E
}

bool InSetX(const SystemIdentity& s) {
    return MatchModel(s, kTZ220, 200003, 211039)      // 2.0.A-2.11.Z
           || MatchModel(s, kTZ220, 220023, 220036)   // 2.20.A-2.20.N
           || MatchModel(s, kTZ410, 100002, 102029)   // 1.0.A-1.2.Z
           || MatchModel(s, kTZ410, 120022, 120035);  // 1.20.A-1.20.N
}

bool InSetH(const SystemIdentity& s) {
    return MatchModel(s, kKALDspot, 106019, 108012);  // 1.6.L-1.8.C
}

std::string GetPictureCommand(const SystemIdentity& s) {
    std::string text = InSetA(s) || InSetB(s) ? "PICT SEND" : "GET PICTURE";
    if (IsHexPictureSystem(s)) text += " /HEX";
    return text;
}

std::string GetMenuCommand(const SystemIdentity& s) {
    if (s.product == kKALDspot) return "GET MENUS 255";
    if (InSetA(s)) return "GETSETUP";
    return "GET MENUS";
}

std::string GetLanguageCommand(const SystemIdentity& s) {
    return InSetA(s) ? "GETALLMENUS" : "GET LANGUAGE";
}

std::string GetBackupCommand(const SystemIdentity& s) {
    std::string text = InSetA(s) || InSetC(s) ? "UPLOAD" : "GET ALL";
    if (s.product == kKALDspot && s.serviceData) text += " LEARN";
    return text;
}

std::string GetRestoreCommand(const SystemIdentity& s) {
    return InSetA(s) || InSetC(s) ? "DOWNLOAD" : "SET ALL";
}

int IsHexPictureSystem(const SystemIdentity& s) {
    return InSetH(s) ? 1 : 0;
}

int HasExtraPictureByte(const SystemIdentity& s) {
    return InSetX(s) ? 1 : 0;
}

}  // namespace brelko
