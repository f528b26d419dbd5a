#include "support/FaultInjectingServer.h"

FaultInjectingServer::FaultInjectingServer (const juce::File& documentRoot)
    : workFolder (juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("stratoset-faults-", {}, false))
{
    workFolder.createDirectory();

    const juce::StringArray command { "python3",
                                      juce::String (STRATOSET_TOOLS_DIR) + "/fault_http_server.py",
                                      documentRoot.getFullPathName(),
                                      workFolder.getFullPathName() };

    if (! process.start (command, 0))
        return;

    // The script writes the port file once it listens.
    const auto portFile = workFolder.getChildFile ("port");

    for (int i = 0; i < 1000 && process.isRunning() && ! portFile.existsAsFile(); ++i)
        juce::Thread::sleep (10);

    port = portFile.loadFileAsString().trim().getIntValue();

    if (port == 0)
        std::fprintf (stderr, "fault-injecting server did not start\n");
}

FaultInjectingServer::~FaultInjectingServer()
{
    if (process.isRunning())
    {
        process.kill();
        process.waitForProcessToFinish (10000);
    }

    workFolder.deleteRecursively();
}

juce::String FaultInjectingServer::urlFor (const juce::String& mode, const juce::String& path, const juce::String& query) const
{
    auto address = "http://127.0.0.1:" + juce::String (port) + "/" + mode + (path.startsWith ("/") ? path : "/" + path);
    return query.isEmpty() ? address : address + "?" + query;
}

juce::StringArray FaultInjectingServer::getRequestLog() const
{
    juce::StringArray lines;
    workFolder.getChildFile ("requests.log").readLines (lines);
    lines.removeEmptyStrings();
    return lines;
}
