#include "support/NginxUnderWine.h"

#include "support/WindowsTestSupport.h"

namespace NginxUnderWine
{
bool isAvailable()
{
    return WindowsTestSupport::getEnvironmentVariable ("STRATOSET_NGINX_PORT").getIntValue() > 0
           && getDocumentRoot().isDirectory();
}

juce::String getBaseUrl()
{
    return "http://127.0.0.1:" + WindowsTestSupport::getEnvironmentVariable ("STRATOSET_NGINX_PORT");
}

juce::File getDocumentRoot()
{
    const auto path = WindowsTestSupport::getEnvironmentVariable ("STRATOSET_NGINX_ROOT");
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
}

juce::StringArray readAccessLog()
{
    const auto path = WindowsTestSupport::getEnvironmentVariable ("STRATOSET_NGINX_ACCESS_LOG");
    juce::StringArray lines;

    if (juce::File::isAbsolutePath (path))
        juce::File (path).readLines (lines);

    lines.removeEmptyStrings();
    return lines;
}
} // namespace NginxUnderWine
