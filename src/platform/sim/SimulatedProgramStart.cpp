#include "platform/ProgramStartService.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

    /** A program started with posix_spawn, its output going nowhere.

        Not juce::ChildProcess: its child allocates between fork and exec,
        and under AddressSanitizer a fork taken while another thread holds
        the sanitizer's allocator lock leaves that child spinning for ever,
        holding the output pipe, so the wait for the installer never ends.
        posix_spawn runs nothing of ours in the child.
    */
    class SpawnedProgram final : public RunningProgram
    {
    public:
        explicit SpawnedProgram (pid_t processToWaitFor) : pid (processToWaitFor) {}

        ~SpawnedProgram() override
        {
            // Reaped if it has ended; one still running is left to run on.
            if (! reaped)
                waitpid (pid, nullptr, WNOHANG);
        }

        juce::uint32 waitForExit() override
        {
            int status = 0;

            while (waitpid (pid, &status, 0) < 0)
                if (errno != EINTR)
                    return 0;

            reaped = true;
            return WIFEXITED (status) ? (juce::uint32) WEXITSTATUS (status) : 0;
        }

        juce::uint32 getProcessId() const override { return (juce::uint32) pid; }

    private:
        const pid_t pid;
        bool reaped = false;
    };

    /** Starts `commandLine` with its standard output and error on /dev/null:
        the process, or 0 when it could not be started.
    */
    pid_t spawn (const juce::StringArray& commandLine)
    {
        std::vector<std::string> arguments;

        for (const auto& argument : commandLine)
            arguments.push_back (argument.toStdString());

        std::vector<char*> argv;

        for (auto& argument : arguments)
            argv.push_back (argument.data());

        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

        pid_t pid = 0;
        const auto result = posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy (&actions);
        return result == 0 ? pid : 0;
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
            const auto pid = spawn (commandLine);

            if (pid <= 0)
                return nullptr;

            return std::make_unique<SpawnedProgram> (pid);
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

            // Started without a shell (a path may hold blanks and brackets), in
            // its own folder, and twice forked, so it runs on by itself and
            // leaves no zombie behind.
            const auto path = program.getFullPathName().toStdString();
            const auto folder = program.getParentDirectory().getFullPathName().toStdString();
            const auto child = fork();

            if (child < 0)
                return false;

            if (child == 0)
            {
                setsid();

                if (fork() == 0 && chdir (folder.c_str()) == 0)
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
