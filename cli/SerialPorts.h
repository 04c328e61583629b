// The "ports" listing: one block per serial port, headed by its stable name,
// with its device, COM numbers, USB identity, driver, access and holders.
#pragma once

#include <string>
#include <vector>

#include "comlink/devices/PortInventory.h"

namespace brelko::cli {

// The configured COM number (Custom/Comport) is marked with "*".
std::string DescribePorts(const std::vector<PortEntry>& entries, int configuredCom);

}  // namespace brelko::cli
