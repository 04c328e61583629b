// Whether this user may open a device, and if not, what would let them.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace brelko {

struct DeviceAccess {
    bool exists = false;
    bool mayOpen = false;  // for reading and writing
    // When the user may not: the device's group, if its members may (the
    // user joins it); empty when no group would help.
    std::string group;
    // The user is a member of that group already, but this login started
    // before they joined: a new login is all it takes.
    bool newLoginNeeded = false;
};

// What the judgement needs to know about the device and the user.
struct AccessFacts {
    mode_t mode = 0;  // the device's permission bits
    uid_t owner = 0;
    gid_t group = 0;
    std::string groupName;
    uid_t user = 0;
    std::vector<gid_t> userGroups;  // the groups of this login
    bool listedInGroup = false;     // the user belongs to the device's group in the group database
};
DeviceAccess JudgeAccess(const AccessFacts& facts);

// The judgement for this process on `path` (symbolic links followed). The
// system's own check has the last word on mayOpen, so that access lists and
// the superuser count.
DeviceAccess CheckDeviceAccess(const std::string& path);

}  // namespace brelko
