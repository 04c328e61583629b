// The device line's port on Windows: a COM device.
#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CWin32Port.h"

namespace brelko {

std::unique_ptr<CCommPort> CDeviceLine::MakeSystemPort(int portNumber, int receiveSize, int transmitSize) {
    return std::make_unique<CWin32Port>(portNumber, receiveSize, transmitSize, 0);
}

std::unique_ptr<CCommPort> CDeviceLine::MakeSystemPort(const std::string& device, int receiveSize, int transmitSize) {
    return std::make_unique<CWin32Port>(device, receiveSize, transmitSize, 0);
}

std::string CDeviceLine::SystemDeviceName(int portNumber) {
    return CWin32Port::DeviceNameFor(portNumber);
}

}  // namespace brelko
