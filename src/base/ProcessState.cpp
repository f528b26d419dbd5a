#include "base/ProcessState.h"

std::atomic<bool> deviceListValid { false };
std::atomic<bool> isInstalling { false };
std::atomic<bool> manualModeActive { false };
std::atomic<bool> cancelRequested { false };
std::atomic<bool> isOldKeyWeave { false };
std::atomic<bool> isNotQt { false };
std::atomic<bool> noDriverIncluded { false };
std::atomic<bool> isEnQx3 { false };
std::atomic<bool> osVersionTooOld { false };
std::atomic<bool> osInfoLogged { false };
std::atomic<int> windowSightings { 0 };

juce::String pluginWebUrl;
juce::String uiLanguage;
LockedString lastInstallerPath;
juce::String appWindowTitle;
