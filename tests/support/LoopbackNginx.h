#pragma once

#include <juce_core/juce_core.h>

/** Debian's nginx on 127.0.0.1 serving one folder, for as long as this object
    lives (tools/loopback_nginx.sh does the work).
*/
class LoopbackNginx
{
public:
    /** `limitRate` is nginx's per-request rate limit, e.g. "8m"; empty: none. */
    explicit LoopbackNginx (const juce::File& documentRoot, const juce::String& limitRate = {});

    /** A certificate and its key (tools/test_certificates.sh). */
    struct Certificate
    {
        juce::File certificate, key;
    };

    /** Serving https with `certificate`. */
    LoopbackNginx (const juce::File& documentRoot, const Certificate& certificate);
    ~LoopbackNginx();

    bool isRunning() const { return port > 0; }
    int getPort() const { return port; }

    /** "http://127.0.0.1:<port>" ("https://" with a certificate) */
    juce::String getBaseUrl() const;

    /** The address of a file below the document root: "/a/b.zip" or "a/b.zip". */
    juce::String urlFor (const juce::String& path) const;

    /** One line per request so far: method, path, status, the Range header in
        quotes ("-" when none) and the body bytes sent.
    */
    juce::StringArray getAccessLog() const;

    /** Stops the server now (the object may then be destroyed as usual). */
    void stop();

    LoopbackNginx (const LoopbackNginx&) = delete;
    LoopbackNginx& operator= (const LoopbackNginx&) = delete;

private:
    void start (juce::StringArray command);

    juce::File workFolder;
    int port = 0;
    bool secure = false;
};
