#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** Starts programs of the host.

    On Windows a downloaded program can be started as it is. On the
    simulated host a program is an executable script or binary, and a file
    that was downloaded or unpacked carries no execute permission, so the
    stand-in gives it that permission first and refuses files that are not
    programs at all (as CreateProcess refuses a file that is not one).
*/
class ProgramStartService
{
public:
    virtual ~ProgramStartService() = default;

    /** Starts `program` with exactly `arguments` (each one argument, whatever
        blanks it holds). False when the program could not be started.
    */
    virtual bool start (juce::ChildProcess& process,
                        const juce::File& program,
                        const juce::StringArray& arguments,
                        int streamFlags) = 0;

    /** Starts `program` on its own, without arguments and without waiting for
        it, the way the shell opens a program (File::startAsProcess on
        Windows). False when it could not be started.
    */
    virtual bool launch (const juce::File& program) = 0;

    static std::unique_ptr<ProgramStartService> createNative();
};

inline ProgramStartService& programStarter() { return PlatformService<ProgramStartService>::get(); }
} // namespace platform
