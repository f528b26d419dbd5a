#pragma once

#include <juce_core/juce_core.h>

/** The nginx on 127.0.0.1 that wine/with-loopback-nginx.sh starts before
    the suites named "...OverLoopbackNginx" run, and hands over through
    environment variables.
*/
namespace NginxUnderWine
{
/** True when the variables are there (the CTest test windows.loopback_nginx). */
bool isAvailable();

/** "http://127.0.0.1:<port>" */
juce::String getBaseUrl();

/** The folder nginx serves; tests put their files into it. */
juce::File getDocumentRoot();

/** One line per request so far: method, path, status, the Range header in
    quotes ("-" when none) and the body bytes sent.
*/
juce::StringArray readAccessLog();
} // namespace NginxUnderWine
