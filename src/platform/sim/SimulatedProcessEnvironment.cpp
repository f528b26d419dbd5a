#include "platform/ProcessEnvironment.h"
#include "platform/sim/SimulatedHost.h"

#include <X11/Xlib.h>
#include <cstdlib>

namespace platform
{
bool isDisplayAvailable()
{
    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return false;

    XCloseDisplay (display);
    return true;
}

void prepareProcessEnvironment()
{
    // JUCE's temporary files (File::createTempFile) go where the host's
    // temporary folder is.
    if (auto temp = sim::SimulatedHost::getChild ("Temp"))
    {
        temp->createDirectory();
        setenv ("TMPDIR", temp->getFullPathName().toRawUTF8(), 1);
    }
}
} // namespace platform
