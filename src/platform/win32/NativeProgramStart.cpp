#include "platform/ProgramStartService.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <string>

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

    /** A started program, known by its process handle. */
    class ShellStartedProgram final : public RunningProgram
    {
    public:
        explicit ShellStartedProgram (HANDLE processHandle) : handle (processHandle) {}

        ~ShellStartedProgram() override { CloseHandle (handle); }

        juce::uint32 getProcessId() const override { return (juce::uint32) GetProcessId (handle); }

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
            // Started as JUCE's ChildProcess starts a program (the same
            // quoting of every part that holds a blank, the program's path
            // included, hidden start-up window, no console), but kept by its
            // process handle: the dialog watch needs the process id. No
            // handle of ours is inherited, and nobody reads its output.
            juce::StringArray commandLine (program.getFullPathName());
            commandLine.addArray (arguments);
            const auto text = joinArguments (commandLine);

            STARTUPINFOW startup = {};
            startup.cb = sizeof (startup);
            startup.dwFlags = STARTF_USESHOWWINDOW;
            startup.wShowWindow = SW_HIDE;

            PROCESS_INFORMATION info = {};
            // CreateProcessW may write into the command line.
            std::wstring writable (text.toWideCharPointer());

            if (CreateProcessW (nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &info)
                == FALSE)
            {
                failureCode = (juce::uint32) GetLastError();
                return nullptr;
            }

            CloseHandle (info.hThread);
            failureCode = 0;
            return std::make_unique<ShellStartedProgram> (info.hProcess);
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
