#include "support/WindowsFakeInstaller.h"

#include "support/WindowsTestSupport.h"

#include <windows.h>

namespace WindowsFakeInstaller
{
juce::File placeCopyAt (const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    WindowsTestSupport::getProgramBesideRunner ("fake_installer.exe").copyFileTo (file);
    return file;
}

namespace
{
    struct DialogOwners
    {
        juce::File folder;
        juce::Array<DWORD> processIds;
    };

    juce::File getProcessImage (HANDLE process)
    {
        wchar_t path[MAX_PATH * 2] = {};
        auto size = (DWORD) std::size (path);

        if (! QueryFullProcessImageNameW (process, 0, path, &size))
            return {};

        return juce::File (juce::String (path));
    }

    BOOL CALLBACK collectDialogOwner (HWND window, LPARAM parameter)
    {
        auto& owners = *reinterpret_cast<DialogOwners*> (parameter);
        wchar_t className[64] = {};
        GetClassNameW (window, className, (int) std::size (className));

        if (juce::String (className) != "#32770")
            return TRUE;

        DWORD processId = 0;
        GetWindowThreadProcessId (window, &processId);

        if (auto* process = OpenProcess (PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId))
        {
            if (getProcessImage (process).isAChildOf (owners.folder))
                owners.processIds.addIfNotAlreadyThere (processId);

            CloseHandle (process);
        }

        return TRUE;
    }
} // namespace

EndGuard::~EndGuard()
{
    DialogOwners owners { folder, {} };
    EnumWindows (collectDialogOwner, reinterpret_cast<LPARAM> (&owners));

    for (const auto processId : owners.processIds)
    {
        if (auto* process = OpenProcess (PROCESS_TERMINATE, FALSE, processId))
        {
            TerminateProcess (process, 99);
            CloseHandle (process);
        }
    }

    waitForInstallersToEnd();
}
} // namespace WindowsFakeInstaller
