#include "comlink/devices/DeviceAccess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace brelko {

namespace {

constexpr mode_t kOwnerRw = S_IRUSR | S_IWUSR;
constexpr mode_t kGroupRw = S_IRGRP | S_IWGRP;
constexpr mode_t kOtherRw = S_IROTH | S_IWOTH;

bool Has(mode_t mode, mode_t bits) {
    return (mode & bits) == bits;
}

}  // namespace

DeviceAccess JudgeAccess(const AccessFacts& facts) {
    DeviceAccess access;
    access.exists = true;
    const bool inGroup =
        std::find(facts.userGroups.begin(), facts.userGroups.end(), facts.group) != facts.userGroups.end();
    if (facts.user == 0) {
        access.mayOpen = true;
    } else if (facts.user == facts.owner) {
        // The owner's bits decide for the owner, even when the group's would allow.
        access.mayOpen = Has(facts.mode, kOwnerRw);
    } else if (inGroup) {
        access.mayOpen = Has(facts.mode, kGroupRw);
    } else {
        access.mayOpen = Has(facts.mode, kOtherRw);
    }
    if (!access.mayOpen && facts.user != facts.owner && !inGroup && Has(facts.mode, kGroupRw)) {
        access.group = facts.groupName.empty() ? std::to_string(facts.group) : facts.groupName;
        access.newLoginNeeded = facts.listedInGroup;
    }
    return access;
}

DeviceAccess CheckDeviceAccess(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return DeviceAccess{};
    AccessFacts facts;
    facts.mode = st.st_mode;
    facts.owner = st.st_uid;
    facts.group = st.st_gid;
    facts.user = ::geteuid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        facts.userGroups.resize(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, facts.userGroups.data());
        facts.userGroups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    facts.userGroups.push_back(::getegid());
    // The reentrant look-ups: the window and its workers may ask at once.
    std::vector<char> groupBuffer(16384), userBuffer(16384);
    group gr {};
    group* foundGroup = nullptr;
    passwd pw {};
    passwd* foundUser = nullptr;
    if (::getgrgid_r(st.st_gid, &gr, groupBuffer.data(), groupBuffer.size(), &foundGroup) == 0 && foundGroup) {
        facts.groupName = gr.gr_name;
        if (::getpwuid_r(facts.user, &pw, userBuffer.data(), userBuffer.size(), &foundUser) == 0 && foundUser) {
            facts.listedInGroup = pw.pw_gid == st.st_gid;
            for (char** member = gr.gr_mem; member && *member && !facts.listedInGroup; ++member)
                facts.listedInGroup = std::strcmp(*member, pw.pw_name) == 0;
        }
    }
    DeviceAccess access = JudgeAccess(facts);
    access.mayOpen = ::access(path.c_str(), R_OK | W_OK) == 0;
    if (access.mayOpen) {
        access.group.clear();
        access.newLoginNeeded = false;
    }
    return access;
}

}  // namespace brelko
