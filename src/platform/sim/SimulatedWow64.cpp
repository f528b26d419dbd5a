#include "platform/Wow64Service.h"
#include "platform/sim/SimulatedHost.h"

namespace platform
{
namespace
{
    /** "1": a 64-bit Windows, "0": a 32-bit one; no file: kernel32 has no IsWow64Process. */
    class SimulatedWow64 final : public Wow64Service
    {
    public:
        Wow64Answer lookUpAndCallIsWow64Process() override
        {
            const auto value = sim::SimulatedHost::readFirstLine ("wow64");

            if (! value.has_value() || (*value != "0" && *value != "1"))
                return {};

            return { true, true, *value == "1" };
        }

        bool callIsWow64Process() override
        {
            return lookUpAndCallIsWow64Process().isWow64;
        }
    };
} // namespace

std::unique_ptr<Wow64Service> Wow64Service::createNative()
{
    return std::make_unique<SimulatedWow64>();
}
} // namespace platform
