#include <gtest/gtest.h>

#include "devices/DriverMonitor.h"
#include "devices/UsbDetection.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"

TEST (UsbDetection, ExtractsFourHexDigitsAfterTheMarker)
{
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_0104&REV_0100", "VID_"), "0x2C7D");
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_0104&REV_0100", "PID_"), "0x0104");
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_12ab", "PID_"), "0x12ab") << "the case is kept";
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_12G4", "PID_"), "");
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_", "PID_"), "0x");
    EXPECT_EQ (extractHexField ("USB\\VID_2C7D&PID_1A", "PID_"), "0x1A") << "fewer digits when the text ends";
    EXPECT_EQ (extractHexField ("USB\\vid_2c7d&pid_0104", "VID_"), "") << "the marker is case-sensitive";
    EXPECT_EQ (extractHexField ("HID\\VID_1234&PID_5678&VID_2C7D", "VID_"), "0x1234") << "the first marker counts";
}

TEST (UsbDetection, FindsTheMakersProductIdsOnceEach)
{
    FakeUsbDevices usb;
    usb.plug ("USB\\VID_2C7D&PID_1A2A&REV_0100&MI_00", "Nova");
    usb.plug ("USB\\VID_046D&PID_0104&REV_0100", "Other vendor's mouse");
    usb.plug ("USB\\VID_2C7D&PID_0104&REV_0100", "QX4");
    usb.plug ("USB\\VID_2C7D&PID_1A2A&REV_0100&MI_02", "Nova"); // second interface of one composite device
    usb.plug ("", "unreadable hardware ID");
    usb.plug ("USB\\VID_2c7d&PID_00A1", "vendor ID in lower case");
    usb.plug ("USB\\VID_2C7D&PID_12G4", "broken product ID");

    EXPECT_EQ (scanConnectedProductIds(), juce::StringArray ({ "0x1A2A", "0x0104", "" }));
}

TEST (UsbDetection, NoDeviceSetMeansNoDevice)
{
    FakeUsbDevices usb;
    EXPECT_TRUE (scanConnectedProductIds().isEmpty());

    LogCapture log;
    DriverMonitor monitor;
    EXPECT_FALSE (monitor.isDriverExist ("QX4"));
    EXPECT_EQ (log.getLines(), juce::StringArray ({ "no device" }));
}

TEST (UsbDetection, DriverMonitorMatchesNormalisedFriendlyNames)
{
    FakeUsbDevices usb;
    usb.plug ("USB\\VID_046D&PID_0104", "Nova Mini");
    usb.plug ("USB\\VID_2C7D&PID_0104", "");
    usb.plug ("USB\\VID_2C7D&PID_1A2B", "Velmora NOVA  MINI Audio");
    usb.plug ("USB\\VID_2C7D&PID_00A1", "Arc_2 Controller");

    LogCapture log;
    DriverMonitor monitor;

    EXPECT_TRUE (monitor.isDriverExist ("Nova Mini"));
    EXPECT_TRUE (monitor.isDriverExist ("nova_mini")) << "underscores in the name are dropped";
    EXPECT_TRUE (log.contains ("<DriverMonitor::isDriverExist> connected device: Velmora NOVA  MINI Audio"));

    // Underscores stay in the friendly name but not in the name: "arc2" is not in "arc_2controller".
    EXPECT_FALSE (monitor.isDriverExist ("Arc 2"));
    EXPECT_FALSE (monitor.isDriverExist ("Arc_2"));
    EXPECT_FALSE (monitor.isDriverExist ("QX4")) << "another vendor's device or one without a friendly name";

    log.clear();
    EXPECT_TRUE (monitor.isDriverExist ("")) << "the empty name is in every friendly name";
    EXPECT_EQ (log.getLines(), juce::StringArray ({ "<DriverMonitor::isDriverExist> connected device: Velmora NOVA  MINI Audio" }));
}

TEST (UsbDetection, SimulatedHostDevicesComeAndGo)
{
    SimulatedHostFolder host;
    EXPECT_FALSE (platform::usbDevices().enumeratePresentDevices().has_value()) << "no usb folder: no device set";

    host.write ("usb/b-qx4.device", "USB\\VID_2C7D&PID_0104&REV_0100\nQX4 Audio\n");
    host.write ("usb/a-nova.device", "USB\\VID_2C7D&PID_1A2A&REV_0100\nNova\n");
    host.write ("usb/c-mouse.device", "USB\\VID_046D&PID_C077&REV_7200\nUSB Optical Mouse\n");
    host.write ("usb/d-noname.device", "USB\\VID_2C7D&PID_00A1\n");
    host.write ("usb/readme.txt", "USB\\VID_2C7D&PID_FFFF\n");

    EXPECT_EQ (scanConnectedProductIds(), juce::StringArray ({ "0x1A2A", "0x0104", "0x00A1" })) << "file-name order";

    DriverMonitor monitor;
    EXPECT_TRUE (monitor.isDriverExist ("QX4"));
    EXPECT_FALSE (monitor.isDriverExist ("Arc 2")) << "the device without a friendly name is skipped";

    (host / "usb/b-qx4.device").deleteFile();
    EXPECT_EQ (scanConnectedProductIds(), juce::StringArray ({ "0x1A2A", "0x00A1" }));
    EXPECT_FALSE (monitor.isDriverExist ("QX4"));
}
