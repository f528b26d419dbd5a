#include "base/RunLog.h"

#include "base/AppInfo.h"
#include "platform/ShellFolderService.h"

namespace RunLog
{
juce::File getLogFile()
{
    return platform::shellFolders().getUserApplicationDataFolder().getChildFile ("Velmora").getChildFile ("Stratoset").getChildFile ("runtimeLog.txt");
}

juce::String getWelcomeMessage()
{
    return "Stratoset version: " + AppInfo::getVersion();
}

std::unique_ptr<juce::FileLogger> open()
{
    return std::make_unique<juce::FileLogger> (getLogFile(), getWelcomeMessage(), sizeKeptAtStart);
}
} // namespace RunLog
