#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** A program that ProgramStartService started; it runs on by itself until
    whoever holds this waits for it.
*/
class RunningProgram
{
public:
    virtual ~RunningProgram() = default;

    /** Waits until the program has ended, reading and dropping whatever it
        writes (nobody shows it, and a program that fills its pipe would stop
        for good), and returns its exit code.
    */
    virtual juce::uint32 waitForExit() = 0;

    /** The system's id of the process, 0 when it is not known. */
    virtual juce::uint32 getProcessId() const { return 0; }
};

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

    /** Windows' ERROR_ELEVATION_REQUIRED: the program's manifest asks for
        administrator rights, and CreateProcess from a process that runs as
        its invoker does not ask the user for them.
    */
    static constexpr juce::uint32 elevationRequired = 740;

    /** Starts `program` with exactly `arguments` (each one argument, whatever
        blanks it holds), its output read by nobody but RunningProgram.
        Null when the program could not be started; `failureCode` then holds
        the system's reason (on Windows CreateProcess's error code, 0 when
        there is none).
    */
    virtual std::unique_ptr<RunningProgram> start (const juce::File& program,
                                                   const juce::StringArray& arguments,
                                                   juce::uint32& failureCode) = 0;

    /** Starts the same command through the shell, asking for administrator
        rights (on Windows the "runas" verb, which shows the consent prompt
        and returns once the user has answered it). Null when it did not
        start, with `failureCode` as above (on Windows ERROR_CANCELLED when
        the user declined).
    */
    virtual std::unique_ptr<RunningProgram> startAsAdministrator (const juce::File& program,
                                                                  const juce::StringArray& arguments,
                                                                  juce::uint32& failureCode) = 0;

    /** Starts `program` on its own, in its own folder (the folder it lies in
        is its current directory), without arguments and without waiting for
        it, the way the shell opens a program (ShellExecute on Windows). False
        when it could not be started. The shell may take its time to return
        (it may wait for the program to come up, or check its origin first):
        never called on the message thread.
    */
    virtual bool launch (const juce::File& program) = 0;

    static std::unique_ptr<ProgramStartService> createNative();
};

/** A RunningProgram that JUCE's ChildProcess started. */
class ChildProcessProgram final : public RunningProgram
{
public:
    juce::uint32 waitForExit() override
    {
        char buffer[4096];

        while (process.readProcessOutput (buffer, (int) sizeof (buffer)) > 0)
        {
        }

        process.waitForProcessToFinish (-1);
        return process.getExitCode();
    }

    juce::ChildProcess process;
};

inline ProgramStartService& programStarter() { return PlatformService<ProgramStartService>::get(); }
} // namespace platform
