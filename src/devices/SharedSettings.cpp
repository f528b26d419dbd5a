#include "devices/SharedSettings.h"

#include "platform/ShellFolderService.h"

SharedSettings& getSharedSettings()
{
    static SharedSettings settings = []
    {
        SharedSettings s;
        s.tempFolder = platform::shellFolders().getTemporaryFolder().getChildFile ("VelmoraTmp");
        return s;
    }();

    return settings;
}
