// Opening and closing the tty port: device names, exclusivity, and the reason
// the user is told when a device cannot be opened.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>

#include "comlink/CPosixPort.h"
#include "platform/Profile.h"
#include "comlink/UucpLock.h"

namespace brelko {

namespace {

std::mutex g_mutex;
std::string g_deviceOverride;
// Devices held open by port objects of this process, by device number.
std::set<unsigned long long> g_heldDevices;

bool DeviceKey(const std::string& path, unsigned long long& key) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    key = S_ISCHR(st.st_mode) ? static_cast<unsigned long long>(st.st_rdev)
                              : (static_cast<unsigned long long>(st.st_dev) << 32) ^ st.st_ino;
    return true;
}

}  // namespace

std::string CPosixPort::DeviceGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (const struct group* gr = ::getgrgid(st.st_gid)) return gr->gr_name;
    return std::to_string(st.st_gid);
}

std::string CPosixPort::DevicePathFor(int portNumber) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_deviceOverride.empty()) return g_deviceOverride;
    }
    std::string configured = Profile::GetString("Ports", "COM" + std::to_string(portNumber + 1), "");
    if (!configured.empty()) return configured;
    return "/dev/ttyS" + std::to_string(portNumber);
}

void CPosixPort::SetDeviceOverride(std::string devicePath) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_deviceOverride = std::move(devicePath);
}

std::string CPosixPort::DeviceOverride() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_deviceOverride;
}

namespace {

// The pty number of a slave device (/dev/pts/N), or -1.
int PtyNumber(const std::string& devicePath) {
    std::string device = devicePath;
    if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
        device = real;
        std::free(real);
    }
    if (device.rfind("/dev/pts/", 0) != 0) return -1;
    char* end = nullptr;
    const long n = std::strtol(device.c_str() + 9, &end, 10);
    return end != device.c_str() + 9 && *end == '\0' ? static_cast<int>(n) : -1;
}

// Whether the descriptor is the master side of pty `number`: the far end
// of the line (a terminal window, a simulated system), not a competitor.
bool IsMasterOf(const std::string& pidDir, const char* fd, int number) {
    char target[64] = {};
    const std::string link = pidDir + "/fd/" + fd;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0 || std::strcmp(target, "/dev/ptmx") != 0) return false;
    std::ifstream info(pidDir + "/fdinfo/" + fd);
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("tty-index:", 0) == 0) return std::atoi(line.c_str() + 10) == number;
    }
    return false;
}

}  // namespace

std::string CPosixPort::ProcessName(long pid) {
    std::string name;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::getline(comm, name);
    return name.empty() ? std::string("?") : name;
}

std::string CPosixPort::DeviceHolders(const std::string& devicePath) {
    unsigned long long key = 0;
    if (!DeviceKey(devicePath, key)) return {};
    const int pty = PtyNumber(devicePath);
    std::string holders;
    const pid_t self = ::getpid();
    DIR* proc = ::opendir("/proc");
    if (!proc) return {};
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self) continue;
        const std::string pidDir = std::string("/proc/") + entry->d_name;
        const std::string fdDir = pidDir + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;  // another user's process: not ours to see
        bool holds = false;
        bool farEnd = false;
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.') continue;
            unsigned long long fdKey = 0;
            if (DeviceKey(fdDir + "/" + fd->d_name, fdKey) && fdKey == key) holds = true;
            else if (pty >= 0 && IsMasterOf(pidDir, fd->d_name, pty)) farEnd = true;
        }
        ::closedir(fds);
        if (!holds || farEnd) continue;
        if (!holders.empty()) holders += ", ";
        holders += ProcessName(pid) + " (pid " + entry->d_name + ")";
    }
    ::closedir(proc);
    return holders;
}

std::string CPosixPort::DescribeOpenFailure(const std::string& devicePath, int err, OpenFailure* kind) {
    OpenFailure what = OpenFailure::Other;
    std::string text;
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EIO:  // a serial port name without hardware behind it
        what = OpenFailure::NoSuchDevice;
        text = "No such device: " + devicePath;
        break;
    case EACCES:
    case EPERM: {
        what = OpenFailure::NoPermission;
        std::string group = DeviceGroup(devicePath);
        text = "No permission to open " + devicePath;
        if (!group.empty()) {
            text += ": it belongs to group \"" + group + "\". Add your user to that group (sudo usermod -aG " +
                    group + " $USER) and log in again: group membership takes effect at a new login";
        } else {
            text += ": ask the administrator for access to it";
        }
        break;
    }
    case EBUSY:
    case EWOULDBLOCK: {
        what = OpenFailure::Busy;
        std::string holders = DeviceHolders(devicePath);
        text = devicePath + " is busy: another program holds it";
        if (!holders.empty()) text += " (" + holders + ")";
        break;
    }
    case ENOTTY:
        what = OpenFailure::NotATty;
        text = devicePath + " is not a serial device";
        break;
    default:
        text = "Cannot open " + devicePath + ": " + std::strerror(err);
        break;
    }
    if (kind) *kind = what;
    return text;
}

int CPosixPort::Open() {
    m_openFailure = OpenFailure::None;
    m_strOpenFailure.clear();
    if (!m_bByPath) {
        if (!PortNumberInTable(m_nPort)) {
            m_openFailure = OpenFailure::NotInTable;
            m_strOpenFailure = "There is no COM" + std::to_string(m_nPort + 1) + ": choose COM1 to COM" +
                               std::to_string(OPEN_COUNT_TABLE_SIZE);
            return Record(LINK_GENERAL_ERROR);
        }
        if (OpenCount(m_nPort) != 0) {
            m_openFailure = OpenFailure::AlreadyOpen;
            m_strOpenFailure = "COM" + std::to_string(m_nPort + 1) + " is already open in this program";
            return Record(LINK_ALREADY_OPEN);
        }
    }
    int result = OpenDevice();
    if (result != 0) {
        if (!m_bByPath && m_openFailure == OpenFailure::NoSuchDevice &&
            m_strDevice == "/dev/ttyS" + std::to_string(m_nPort)) {
            const std::string key = "COM" + std::to_string(m_nPort + 1);
            m_strOpenFailure += " (" + key + "; another device can be named with " + key +
                                "= in the [Ports] section of " + Profile::Path() + ")";
        }
        return result;
    }
    CountOpen();

    // The queues are the driver's own; only the sizes are kept for the
    // free-space arithmetic of Write. The event mask is ours alone.
    m_nSavedEventMask = m_nEventMask;
    m_nEventMask = 0;

    // The driver's parity check stays as it was. XON/XOFF starts off: a
    // fresh tty here has IXON on, which would swallow 0x11 and 0x13 from
    // binary data before anyone asked for flow control.
    termios tio {};
    if (::tcgetattr(m_fd, &tio) == 0) m_config.fParity = (tio.c_iflag & INPCK) ? 1 : 0;
    m_config.fOutX = 0;
    m_config.fInX = 0;
    m_config.BaudRate = 19200;
    m_config.ByteSize = 8;
    m_config.Parity = 0;
    m_config.StopBits = 0;
    m_config.fOutxCtsFlow = 0;
    m_config.fOutxDsrFlow = 0;
    m_config.fDtrControl = DTR_CONTROL_ENABLE;
    m_config.fRtsControl = RTS_CONTROL_DISABLE;
    m_config.fBinary = 1;
    m_config.fNull = 0;
    m_config.EofChar = 0;
    m_config.EvtChar = 0;
    m_config.XonChar = 0x11;
    m_config.XoffChar = 0x13;
    m_config.XonLim = static_cast<std::uint16_t>(m_nRxSize / 4);
    m_config.XoffLim = 128;

    // Reads return at once with what has arrived (non-blocking descriptor).
    m_bCountersKnown = false;
    PollDriverErrors();  // takes the driver's counters as the baseline
    m_nLineErrors = 0;
    if (WriteConfig() != 0) Record(TranslateSystemError());
    return m_nError;
}

int CPosixPort::RefuseBusy(std::string reason) {
    m_nLastSystemError = EBUSY;
    m_openFailure = OpenFailure::Busy;
    m_strOpenFailure = std::move(reason);
    if (m_pLock) m_pLock->Release();
    return Record(TranslateSystemError());
}

int CPosixPort::OpenDevice() {
    std::string path = m_bByPath ? m_strDevice : DevicePathFor(m_nPort);
    m_strDevice = path;

    unsigned long long key = 0;
    bool haveKey = DeviceKey(path, key);
    if (haveKey) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_heldDevices.count(key)) {
            m_openFailure = OpenFailure::AlreadyOpen;
            m_strOpenFailure = path + " is already open in this program";
            return Record(LINK_ALREADY_OPEN);
        }
    }

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int err = errno;
    if (fd >= 0) {
        termios tio {};
        if (::tcgetattr(fd, &tio) != 0) {
            err = ENOTTY;
            ::close(fd);
            fd = -1;
        }
    }
    if (fd >= 0) {
        // Another program's lock file, then another program that holds the
        // device without one. Opening it beside them changed nothing: its
        // lines stay as the holder set them until the last close.
        if (!m_pLock) m_pLock = std::make_unique<UucpLock>();
        long owner = 0;
        if (m_pLock->Acquire(path, &owner) == UucpLock::Result::Busy) {
            ::close(fd);
            return RefuseBusy(path + " is busy: " + ProcessName(owner) + " (pid " + std::to_string(owner) +
                              ") holds its lock " + UucpLock::LockPathFor(path));
        }
        if (const std::string holders = DeviceHolders(path); !holders.empty()) {
            ::close(fd);
            return RefuseBusy(path + " is busy: another program holds it (" + holders + ")");
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // Another program (or another open of ours) holds the lock.
            err = EBUSY;
            ::close(fd);
            fd = -1;
        } else {
            // No second open by other programs, like an unshared handle.
            ::ioctl(fd, TIOCEXCL);
        }
    }
    if (fd < 0) {
        if (m_pLock) m_pLock->Release();
        m_nLastSystemError = err;
        m_strOpenFailure = DescribeOpenFailure(path, err, &m_openFailure);
        return Record(TranslateSystemError());
    }
    if (haveKey || DeviceKey(path, key)) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_heldDevices.insert(key);
        m_deviceKey = key;
        m_bDeviceKeyHeld = true;
    }
    m_fd = fd;
    m_bVanished = false;
    m_bPseudoTerminal = IsPseudoTerminal(fd);
    m_lineFreeAtUs = 0;
    m_rxHead = m_rxTail = 0;
    return 0;
}

int CPosixPort::Close() {
    if (m_fd < 0) return 0;
    Purge(0, 0);
    Purge(1, 0);
    int bits = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_fd, TIOCMBIC, &bits);  // not checked, as lines cannot always be set
    ::ioctl(m_fd, TIOCNXCL);
    int result = ::close(m_fd);
    m_fd = -1;
    if (m_pLock) m_pLock->Release();
    if (m_bDeviceKeyHeld) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_heldDevices.erase(m_deviceKey);
        m_bDeviceKeyHeld = false;
    }
    return result == 0 ? 0 : LINK_CLOSE_FAILED;
}

}  // namespace brelko
