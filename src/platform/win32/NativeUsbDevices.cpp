#include "platform/UsbDeviceService.h"

#include <windows.h>

#include <setupapi.h>

namespace platform
{
namespace
{
    constexpr DWORD propertyBufferSize = 256;

    /** Reads one registry property as ANSI text. The buffer has room for a
        terminator beyond what SetupAPI may fill, so a property that uses all
        256 bytes is still read as a terminated string; of a multi-string only
        the first string is taken.
    */
    std::optional<juce::String> readProperty (HDEVINFO deviceSet, SP_DEVINFO_DATA& device, DWORD property)
    {
        char buffer[propertyBufferSize + 2] = {};

        if (! SetupDiGetDeviceRegistryPropertyA (deviceSet, &device, property, nullptr, reinterpret_cast<PBYTE> (buffer), propertyBufferSize, nullptr))
            return std::nullopt;

        buffer[propertyBufferSize] = 0;
        const auto length = (int) strnlen (buffer, propertyBufferSize);

        // The text is in the system's ANSI code page (friendly names may be localised).
        const auto wideLength = MultiByteToWideChar (CP_ACP, 0, buffer, length, nullptr, 0);
        std::wstring wide ((size_t) juce::jmax (0, wideLength), L'\0');

        if (wideLength > 0)
            MultiByteToWideChar (CP_ACP, 0, buffer, length, wide.data(), wideLength);

        return juce::String (wide.c_str());
    }

    class NativeUsbDevices final : public UsbDeviceService
    {
    public:
        std::optional<std::vector<UsbDeviceProperties>> enumeratePresentDevices() override
        {
            const auto deviceSet = SetupDiGetClassDevsA (nullptr, "USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);

            if (deviceSet == INVALID_HANDLE_VALUE)
                return std::nullopt;

            std::vector<UsbDeviceProperties> devices;

            SP_DEVINFO_DATA device;
            ZeroMemory (&device, sizeof (device));
            device.cbSize = sizeof (SP_DEVINFO_DATA);

            for (DWORD index = 0; SetupDiEnumDeviceInfo (deviceSet, index, &device); ++index)
            {
                UsbDeviceProperties properties;
                properties.hardwareId = readProperty (deviceSet, device, SPDRP_HARDWAREID);
                properties.friendlyName = readProperty (deviceSet, device, SPDRP_FRIENDLYNAME);
                devices.push_back (properties);
            }

            SetupDiDestroyDeviceInfoList (deviceSet);
            return devices;
        }
    };
} // namespace

std::unique_ptr<UsbDeviceService> UsbDeviceService::createNative()
{
    return std::make_unique<NativeUsbDevices>();
}
} // namespace platform
