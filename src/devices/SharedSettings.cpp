#include "devices/SharedSettings.h"

#include "platform/ShellFolderService.h"

SharedSettings& getSharedSettings()
{
    // Never destroyed: a worker thread still running at exit may read it.
    static auto* const settings = []
    {
        auto* s = new SharedSettings();
        s->tempFolder = platform::shellFolders().getTemporaryFolder().getChildFile ("VelmoraTmp");
        return s;
    }();

    return *settings;
}
