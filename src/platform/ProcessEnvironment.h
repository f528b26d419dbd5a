#pragma once

namespace platform
{
/** True when the program can open windows here: always on Windows; on
        other systems only when an X server answers.
    */
bool isDisplayAvailable();

/** Points what the process inherits from its environment at the host the
        program runs on (the simulated host's temporary folder, for instance),
        so that JUCE's own special locations agree with the platform layer.
        Called once at start-up, before anything else.
    */
void prepareProcessEnvironment();
} // namespace platform
