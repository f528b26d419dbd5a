#pragma once

#include <juce_core/juce_core.h>

#include "devices/DeploymentSettings.h"

/** The addresses the program fetches from: fixed paths on the servers of
    DeploymentSettings, and the rewriting rules for Windows 7 and the "cn"
    region. Plain text operations over whatever the settings hold.
*/
namespace ServerAddresses
{
inline constexpr const char* chinaMirrorListPath = "/list_0926.xml";
inline constexpr const char* cloudListPath = "/velmora/release/software/list_20260509_1.1.16.xml";
inline constexpr const char* cloudBasePath = "/velmora/release/software";

/** China mirror server + "/list_0926.xml". */
juce::String getChinaMirrorListAddress (const DeploymentSettings& settings);

/** Cloud server + "/velmora/release/software/list_20260509_1.1.16.xml". */
juce::String getCloudListAddress (const DeploymentSettings& settings);

/** Cloud server + "/velmora/release/software": the text that the "cn"
    region replaces by the download server.
*/
juce::String getCloudBase (const DeploymentSettings& settings);

/** Every "https" in `address` written "http" (Windows 7 fetches over plain HTTP). */
juce::String withPlainHttp (const juce::String& address);

/** Where the device list is fetched from: the China mirror list when
    `useChinaMirror`, else the cloud list; then, when `osName` is "win7",
    every "https" becomes "http", and otherwise, when `region` is "cn", the
    cloud base becomes the download server.
*/
juce::String getDeviceListAddress (const DeploymentSettings& settings,
                                   bool useChinaMirror,
                                   const juce::String& region,
                                   const juce::String& osName);
} // namespace ServerAddresses
