// The device line's port on systems with termios.
#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"

namespace brelko {

std::unique_ptr<CCommPort> CDeviceLine::MakeSystemPort(int portNumber, int receiveSize, int transmitSize) {
    return std::make_unique<CPosixPort>(portNumber, receiveSize, transmitSize, 0);
}

std::unique_ptr<CCommPort> CDeviceLine::MakeSystemPort(const std::string& device, int receiveSize, int transmitSize) {
    return std::make_unique<CPosixPort>(device, receiveSize, transmitSize, 0);
}

std::string CDeviceLine::SystemDeviceName(int portNumber) {
    return CPosixPort::DevicePathFor(portNumber);
}

}  // namespace brelko
