#include "platform/ProgramStartService.h"

#include <sys/wait.h>
#include <unistd.h>

namespace platform
{
namespace
{
    /** A program of the simulated host is a script ("#!") or an ELF binary. */
    bool looksLikeProgram (const juce::File& file)
    {
        juce::FileInputStream in (file);

        if (! in.openedOk())
            return false;

        char start[4] = {};
        const auto length = in.read (start, (int) sizeof (start));

        if (length >= 2 && start[0] == '#' && start[1] == '!')
            return true;

        return length == 4 && start[0] == 0x7f && start[1] == 'E' && start[2] == 'L' && start[3] == 'F';
    }

    class SimulatedProgramStart final : public ProgramStartService
    {
    public:
        std::unique_ptr<RunningProgram> start (const juce::File& program,
                                               const juce::StringArray& arguments,
                                               juce::uint32& failureCode) override
        {
            failureCode = 0;

            // ChildProcess would report a file that cannot be run only later,
            // as exit code 255; refuse it here, as Windows refuses to create
            // a process from a file that is not a program.
            if (! program.existsAsFile() || ! looksLikeProgram (program))
                return nullptr;

            // Downloaded and unpacked files carry no execute permission.
            if (! program.setExecutePermission (true))
                return nullptr;

            juce::StringArray commandLine (program.getFullPathName());
            commandLine.addArray (arguments);
            auto running = std::make_unique<ChildProcessProgram>();

            if (! running->process.start (commandLine, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
                return nullptr;

            return running;
        }

        // The simulated host has no administrator accounts to ask for: the
        // program starts as any other.
        std::unique_ptr<RunningProgram> startAsAdministrator (const juce::File& program,
                                                              const juce::StringArray& arguments,
                                                              juce::uint32& failureCode) override
        {
            return start (program, arguments, failureCode);
        }

        bool launch (const juce::File& program) override
        {
            if (! program.existsAsFile() || ! looksLikeProgram (program) || ! program.setExecutePermission (true))
                return false;

            // Started without a shell (a path may hold blanks and brackets) and
            // twice forked, so it runs on by itself and leaves no zombie behind.
            const auto path = program.getFullPathName().toStdString();
            const auto child = fork();

            if (child < 0)
                return false;

            if (child == 0)
            {
                setsid();

                if (fork() == 0)
                {
                    const char* const argv[] = { path.c_str(), nullptr };
                    execv (path.c_str(), const_cast<char* const*> (argv));
                }

                _exit (0);
            }

            int status = 0;
            waitpid (child, &status, 0);
            return true;
        }
    };
} // namespace

std::unique_ptr<ProgramStartService> ProgramStartService::createNative()
{
    return std::make_unique<SimulatedProgramStart>();
}
} // namespace platform
