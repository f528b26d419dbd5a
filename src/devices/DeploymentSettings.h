#pragma once

#include <juce_core/juce_core.h>

/** The maker's servers this build talks to: each a scheme and a host,
    optionally with a port, without a trailing "/".

    The values are compiled into DeploymentSettings.cpp alone (the CMake
    cache variables STRATOSET_DOWNLOAD_SERVER, STRATOSET_CLOUD_SERVER and
    STRATOSET_CHINA_MIRROR_SERVER), so a build configured against another
    server recompiles that one file.
*/
struct DeploymentSettings
{
    /** The maker's download server, e.g. "https://download.velmora.com". */
    juce::String downloadServer;

    /** The host of the cloud storage bucket that publishes the device list. */
    juce::String cloudServer;

    /** The maker's China mirror server (the list there is fetched over http). */
    juce::String chinaMirrorServer;

    /** The values compiled into this build. */
    static DeploymentSettings getCompiledIn();

    /** The maker's publisher names (the CMake cache variable
        STRATOSET_PUBLISHER_NAMES, never empty): an installer is started only
        when its signer's common name is one of them.
    */
    static juce::StringArray getPublisherNames();
};

/** The settings in force: those of the innermost ScopedDeploymentSettings
    alive, else the compiled-in ones.
*/
DeploymentSettings getDeploymentSettings();

/** Puts other server addresses in force for as long as it lives, so tests
    in the same process can talk to a server on a port chosen at run time.
    Create and destroy it while no other thread reads the settings.
*/
class ScopedDeploymentSettings
{
public:
    explicit ScopedDeploymentSettings (const DeploymentSettings& replacement);

    /** All three servers at the same address. */
    explicit ScopedDeploymentSettings (const juce::String& oneServerForAll);

    ~ScopedDeploymentSettings();

    ScopedDeploymentSettings (const ScopedDeploymentSettings&) = delete;
    ScopedDeploymentSettings& operator= (const ScopedDeploymentSettings&) = delete;

private:
    const DeploymentSettings settings;
    const DeploymentSettings* previous;
};
