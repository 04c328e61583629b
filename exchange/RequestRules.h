// Which request text asks the vision system for a thing: a pure function of
// its product token, its version number and the service-data option. Nothing
// is cached, so a new identification takes effect at the next command.
#pragma once

#include <string>
#include <string_view>

namespace brelko {

struct SystemIdentity {
    std::string product;       // compared exactly, letter case included
    int version = 0;           // version number (see VersionNumber)
    bool serviceData = false;  // include the extra service data in backups
};

// 1 when the product equals the token and low <= version <= high, else 0.
int MatchModel(const SystemIdentity& system, std::string_view token, int low, int high);

// Range sets of the firmware generations.
bool InSetA(const SystemIdentity& system);  // newer TZ220/TZ410 words
bool InSetB(const SystemIdentity& system);  // TZ410 3.x pictures
bool InSetC(const SystemIdentity& system);  // TZ220 4.x / TZ410 3.x backups
bool InSetX(const SystemIdentity& system);  // one extra byte before the picture checksum
bool InSetH(const SystemIdentity& system);  // pictures as hexadecimal text

std::string GetPictureCommand(const SystemIdentity& system);
std::string GetMenuCommand(const SystemIdentity& system);
std::string GetLanguageCommand(const SystemIdentity& system);
std::string GetBackupCommand(const SystemIdentity& system);
std::string GetRestoreCommand(const SystemIdentity& system);
int IsHexPictureSystem(const SystemIdentity& system);
int HasExtraPictureByte(const SystemIdentity& system);

}  // namespace brelko
