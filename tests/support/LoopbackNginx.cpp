#include "support/LoopbackNginx.h"

namespace
{
juce::String getScript()
{
    return juce::String (STRATOSET_TOOLS_DIR) + "/loopback_nginx.sh";
}
} // namespace

LoopbackNginx::LoopbackNginx (const juce::File& documentRoot, const juce::String& limitRate)
    : workFolder (juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("stratoset-nginx-" + juce::Uuid().toString()))
{
    juce::StringArray command { getScript(), "start", documentRoot.getFullPathName(), workFolder.getFullPathName() };

    if (limitRate.isNotEmpty())
        command.add (limitRate);

    start (command);
}

LoopbackNginx::LoopbackNginx (const juce::File& documentRoot, const Certificate& certificate)
    : workFolder (juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("stratoset-nginx-" + juce::Uuid().toString())),
      secure (true)
{
    start ({ "/usr/bin/env",
             "TLS_CERTIFICATE=" + certificate.certificate.getFullPathName(),
             "TLS_KEY=" + certificate.key.getFullPathName(),
             getScript(),
             "start",
             documentRoot.getFullPathName(),
             workFolder.getFullPathName() });
}

void LoopbackNginx::start (juce::StringArray command)
{
    juce::ChildProcess process;

    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return;

    const auto output = process.readAllProcessOutput().trim();

    if (process.getExitCode() == 0)
        port = output.getIntValue();
    else
        std::fprintf (stderr, "loopback nginx did not start: %s\n", output.toRawUTF8());
}

LoopbackNginx::~LoopbackNginx()
{
    stop();
    workFolder.deleteRecursively();
}

void LoopbackNginx::stop()
{
    if (port == 0)
        return;

    juce::ChildProcess process;

    if (process.start (juce::StringArray { getScript(), "stop", workFolder.getFullPathName() }))
        process.waitForProcessToFinish (10000);

    port = 0;
}

juce::String LoopbackNginx::getBaseUrl() const
{
    return (secure ? "https://127.0.0.1:" : "http://127.0.0.1:") + juce::String (port);
}

juce::String LoopbackNginx::urlFor (const juce::String& path) const
{
    return getBaseUrl() + (path.startsWith ("/") ? path : "/" + path);
}

juce::StringArray LoopbackNginx::getAccessLog() const
{
    juce::StringArray lines;
    workFolder.getChildFile ("access.log").readLines (lines);
    lines.removeEmptyStrings();
    return lines;
}
