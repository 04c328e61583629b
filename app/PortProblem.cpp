#include "PortProblem.h"

#include <grp.h>
#include <sys/stat.h>

#include "CDeviceLine.h"
#include "CPosixPort.h"
#include "ResourceIds.h"
#include "Strings.h"

namespace brelko::app {

namespace {

std::string GroupOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (const struct group* gr = ::getgrgid(st.st_gid)) return gr->gr_name;
    return std::to_string(st.st_gid);
}

}  // namespace

std::string PortProblemText(const CDeviceLine& line) {
    if (line.m_bPortOpen) return {};
    const CCommPort* port = line.Port();
    if (!port) return {};
    const std::string device = port->Device();
    switch (port->OpenFailureKind()) {
    case OpenFailure::None: return {};
    case OpenFailure::NoSuchDevice: return FormatArgs(LoadString(IDS_PORT_NO_DEVICE), {device});
    case OpenFailure::NoPermission: {
        const std::string group = GroupOf(device);
        if (group.empty()) return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION_ASK), {device});
        return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION), {device, group});
    }
    case OpenFailure::Busy: {
        const std::string holders = CPosixPort::DeviceHolders(device);
        // A lock of a live program that has not opened the device (yet, or
        // any more) names nobody here.
        return FormatArgs(LoadString(IDS_PORT_BUSY),
                          {device, holders.empty() ? LoadString(IDS_PORT_HOLDER_UNKNOWN) : holders});
    }
    case OpenFailure::NotATty: return FormatArgs(LoadString(IDS_PORT_NOT_SERIAL), {device});
    case OpenFailure::AlreadyOpen: return FormatArgs(LoadString(IDS_PORT_ALREADY_OPEN), {device});
    case OpenFailure::NotInTable:
    case OpenFailure::Other: break;
    }
    return port->OpenFailureReason();
}

}  // namespace brelko::app
