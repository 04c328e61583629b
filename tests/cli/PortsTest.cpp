// How the ports listing reads: one block per port, the configured COM
// number marked, only the lines that say something.
#include <gtest/gtest.h>

#include "cli/SerialPorts.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::cli;

TEST(PortsListingTest, OneBlockPerPortWithWhatIsKnownOfIt) {
    SetBuiltinLanguage(Language::English);
    PortEntry adapter;
    adapter.path = "/dev/ttyUSB0";
    adapter.stableName = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJT-if00-port0";
    adapter.known = true;
    adapter.device.devnode = adapter.path;
    adapter.device.vendorId = "0403";
    adapter.device.productId = "6001";
    adapter.device.vendor = "FTDI";
    adapter.device.product = "FT232R USB UART";
    adapter.device.serial = "A5XK3RJT";
    adapter.device.driver = "ftdi_sio";
    adapter.device.bus = "usb";
    adapter.exists = true;
    adapter.comNumbers = {1, 3};
    adapter.access.exists = true;
    adapter.access.group = "dialout";
    adapter.holders = "minicom (pid 4242)";

    PortEntry uart;
    uart.path = uart.stableName = "/dev/ttyS0";
    uart.known = true;
    uart.device.devnode = uart.path;
    uart.device.driver = "serial";
    uart.device.bus = "pnp";
    uart.exists = true;
    uart.access.exists = uart.access.mayOpen = true;

    PortEntry missing;
    missing.path = missing.stableName = "/dev/serial/by-id/usb-gone";
    missing.comNumbers = {4};

    EXPECT_EQ(DescribePorts({adapter, uart, missing}, 3),
              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJT-if00-port0\n"
              "    device:     /dev/ttyUSB0\n"
              "    COM:        COM1, COM3*\n"
              "    USB:        0403:6001  FTDI  FT232R USB UART  serial number A5XK3RJT\n"
              "    driver:     ftdi_sio\n"
              "    may open:   no: join the group \"dialout\" (sudo usermod -aG dialout $USER), then log in again\n"
              "    in use by:  minicom (pid 4242)\n"
              "\n"
              "/dev/ttyS0\n"
              "    device:     /dev/ttyS0\n"
              "    driver:     serial (pnp)\n"
              "    may open:   yes\n"
              "    in use by:  no\n"
              "\n"
              "/dev/serial/by-id/usb-gone\n"
              "    device:     /dev/serial/by-id/usb-gone (missing)\n"
              "    COM:        COM4\n"
              "\n"
              "* configured (Custom/Comport)\n");
    EXPECT_EQ(DescribePorts({}, 1), "No serial devices found\n");
}
