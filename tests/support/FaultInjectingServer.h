#pragma once

#include <juce_core/juce_core.h>

/** tools/fault_http_server.py on 127.0.0.1 serving one folder, for as long as
    this object lives: a server that answers range requests wrongly on
    purpose (the script lists its modes).
*/
class FaultInjectingServer
{
public:
    explicit FaultInjectingServer (const juce::File& documentRoot);
    ~FaultInjectingServer();

    bool isRunning() const { return port > 0; }

    /** "http://127.0.0.1:<port>/<mode>/<path>", with "?<query>" when given. */
    juce::String urlFor (const juce::String& mode, const juce::String& path, const juce::String& query = {}) const;

    /** One line per request so far: method, path with query, status, the
        Range header in quotes ("-" when none) and the body bytes sent.
    */
    juce::StringArray getRequestLog() const;

    FaultInjectingServer (const FaultInjectingServer&) = delete;
    FaultInjectingServer& operator= (const FaultInjectingServer&) = delete;

private:
    juce::File workFolder;
    juce::ChildProcess process;
    int port = 0;
};
