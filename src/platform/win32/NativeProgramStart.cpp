#include "platform/ProgramStartService.h"

namespace platform
{
namespace
{
    class NativeProgramStart final : public ProgramStartService
    {
    public:
        bool start (juce::ChildProcess& process,
                    const juce::File& program,
                    const juce::StringArray& arguments,
                    int streamFlags) override
        {
            // JUCE builds the command line for CreateProcess and quotes every
            // part that holds a blank, the program's path included, so a path
            // below "C:\Users\First Last" names the program and nothing else.
            juce::StringArray commandLine (program.getFullPathName());
            commandLine.addArray (arguments);
            return process.start (commandLine, streamFlags);
        }

        bool launch (const juce::File& program) override
        {
            return program.startAsProcess();
        }
    };
} // namespace

std::unique_ptr<ProgramStartService> ProgramStartService::createNative()
{
    return std::make_unique<NativeProgramStart>();
}
} // namespace platform
