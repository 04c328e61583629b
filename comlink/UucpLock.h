// The lock files serial programs on this platform share: LCK..<name> in the
// lock folder, holding the owner's process id as ten ASCII digits and a line
// feed. A lock of a live process refuses the device; a stale one (its
// process is gone) is removed. A folder that cannot be written does not make
// the device unusable: the lock is then simply not held.
#pragma once

#include <string>

namespace brelko {

class UucpLock {
public:
    // The folder: set here (tests), else $BRELKO_LOCK_DIR, else /var/lock.
    static void SetFolder(std::string folder);
    static std::string Folder();
    // LCK..ttyUSB0 for /dev/ttyUSB0, LCK..pts_7 for /dev/pts/7 (links followed).
    static std::string LockPathFor(const std::string& devicePath);

    enum class Result {
        Held,     // the lock is ours until Release
        NotHeld,  // the folder cannot take it: go on without
        Busy,     // a live process holds it
    };
    // Takes the lock for the device. Busy: *holder is the owner's process id.
    Result Acquire(const std::string& devicePath, long* holder);
    // Removes the lock file if it is still ours.
    void Release();

    UucpLock() = default;
    ~UucpLock() { Release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // The process id a lock file names (ASCII, or the old four-byte binary
    // form); 0 when it names none.
    static long ReadOwner(const std::string& lockPath);
    static bool ProcessAlive(long pid);
    // The process id of a live process whose lock holds the device; 0 when
    // no lock or a stale one.
    static long LiveOwner(const std::string& devicePath);

private:
    std::string m_path;
    int m_slot = -1;  // in the list of files an abrupt end removes
};

}  // namespace brelko
