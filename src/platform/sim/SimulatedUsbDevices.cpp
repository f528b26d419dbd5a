#include "platform/UsbDeviceService.h"
#include "platform/sim/SimulatedHost.h"

namespace platform
{
namespace
{
    /** The host's usb folder holds one "<name>.device" file per present device,
        taken in file-name order: line 1 the hardware ID, line 2 the friendly
        name. Plugging a device is adding a file.
    */
    class SimulatedUsbDevices final : public UsbDeviceService
    {
    public:
        std::optional<std::vector<UsbDeviceProperties>> enumeratePresentDevices() override
        {
            const auto folder = sim::SimulatedHost::getChild ("usb");

            if (! folder.has_value() || ! folder->isDirectory())
                return std::nullopt;

            auto files = folder->findChildFiles (juce::File::findFiles, false, "*.device");
            std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b)
                       { return a.getFileName().compare (b.getFileName()) < 0; });

            std::vector<UsbDeviceProperties> devices;

            for (const auto& file : files)
            {
                juce::StringArray lines;
                file.readLines (lines);

                UsbDeviceProperties device;

                if (lines.size() > 0 && lines[0].trim().isNotEmpty())
                    device.hardwareId = lines[0].trim();

                if (lines.size() > 1 && lines[1].trim().isNotEmpty())
                    device.friendlyName = lines[1].trim();

                devices.push_back (device);
            }

            return devices;
        }
    };
} // namespace

std::unique_ptr<UsbDeviceService> UsbDeviceService::createNative()
{
    return std::make_unique<SimulatedUsbDevices>();
}
} // namespace platform
