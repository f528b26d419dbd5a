#include "base/RunLog.h"

#include <mutex>

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

namespace
{
    class LogGate final : public juce::Logger
    {
    public:
        void logMessage (const juce::String& message) override
        {
            const std::lock_guard<std::mutex> guard (lock);

            if (log != nullptr)
                log->logMessage (message);
        }

        void replace (std::unique_ptr<juce::FileLogger> newLog)
        {
            const std::lock_guard<std::mutex> guard (lock);
            log = std::move (newLog);
        }

    private:
        std::mutex lock;
        std::unique_ptr<juce::FileLogger> log;
    };

    LogGate& getGate()
    {
        static auto* const gate = new LogGate();
        return *gate;
    }
} // namespace

void install (std::unique_ptr<juce::FileLogger> log)
{
    getGate().replace (std::move (log));
    juce::Logger::setCurrentLogger (&getGate());
}

void close()
{
    getGate().replace (nullptr);
}
} // namespace RunLog
