#include "platform/ProgramStartService.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

namespace platform
{
namespace
{
    /** The arguments as one parameter string, quoted as JUCE quotes them for
        CreateProcess, so that both ways of starting give the program the
        same arguments.
    */
    juce::String joinArguments (const juce::StringArray& arguments)
    {
        juce::StringArray quoted;

        for (auto argument : arguments)
        {
            if (argument.containsAnyOf ("\" "))
                argument = argument.replace ("\"", "\\\"").quoted();

            quoted.add (argument);
        }

        return quoted.joinIntoString (" ");
    }

    /** A program the shell started, known by its process handle. */
    class ShellStartedProgram final : public RunningProgram
    {
    public:
        explicit ShellStartedProgram (HANDLE processHandle) : handle (processHandle) {}

        ~ShellStartedProgram() override { CloseHandle (handle); }

        juce::uint32 waitForExit() override
        {
            WaitForSingleObject (handle, INFINITE);

            DWORD exitCode = 0;
            GetExitCodeProcess (handle, &exitCode);
            return (juce::uint32) exitCode;
        }

    private:
        HANDLE handle;
    };

    class NativeProgramStart final : public ProgramStartService
    {
    public:
        std::unique_ptr<RunningProgram> start (const juce::File& program,
                                               const juce::StringArray& arguments,
                                               juce::uint32& failureCode) override
        {
            // JUCE builds the command line for CreateProcess and quotes every
            // part that holds a blank, the program's path included, so a path
            // below "C:\Users\First Last" names the program and nothing else.
            juce::StringArray commandLine (program.getFullPathName());
            commandLine.addArray (arguments);
            auto running = std::make_unique<ChildProcessProgram>();

            SetLastError (0);

            if (running->process.start (commandLine, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            {
                failureCode = 0;
                return running;
            }

            // Still CreateProcess's: after it, JUCE only closes its pipe
            // handles, which leaves the error code alone when they close.
            failureCode = (juce::uint32) GetLastError();
            return nullptr;
        }

        std::unique_ptr<RunningProgram> startAsAdministrator (const juce::File& program,
                                                              const juce::StringArray& arguments,
                                                              juce::uint32& failureCode) override
        {
            // The shell may hand the start to extensions that need COM on
            // this thread.
            const auto com = CoInitializeEx (nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

            const auto file = program.getFullPathName();
            const auto parameters = joinArguments (arguments);
            // An elevated program would otherwise start in the system folder;
            // CreateProcess gives it ours.
            const auto directory = juce::File::getCurrentWorkingDirectory().getFullPathName();

            // No error box of the shell's own (a failure is the caller's to
            // report); the consent prompt is not one of them.
            SHELLEXECUTEINFOW info = {};
            info.cbSize = sizeof (info);
            info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
            info.lpVerb = L"runas";
            info.lpFile = file.toWideCharPointer();
            info.lpParameters = parameters.toWideCharPointer();
            info.lpDirectory = directory.toWideCharPointer();
            info.nShow = SW_SHOWNORMAL;

            const auto started = ShellExecuteExW (&info) != FALSE;
            failureCode = started ? 0 : (juce::uint32) GetLastError();

            if (SUCCEEDED (com))
                CoUninitialize();

            // Without a process handle no process was started.
            if (! started || info.hProcess == nullptr)
                return nullptr;

            return std::make_unique<ShellStartedProgram> (info.hProcess);
        }

        bool launch (const juce::File& program) override
        {
            // As File::startAsProcess opens a program, with its folder as the
            // folder it starts in (so this process's own stays as it is).
            if (! program.existsAsFile())
                return false;

            const auto result = ShellExecuteW (nullptr,
                                               nullptr,
                                               program.getFullPathName().toWideCharPointer(),
                                               nullptr,
                                               program.getParentDirectory().getFullPathName().toWideCharPointer(),
                                               SW_SHOWDEFAULT);
            return reinterpret_cast<INT_PTR> (result) > 32;
        }
    };
} // namespace

std::unique_ptr<ProgramStartService> ProgramStartService::createNative()
{
    return std::make_unique<NativeProgramStart>();
}
} // namespace platform
