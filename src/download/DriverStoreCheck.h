#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** After a driver package has been downloaded, looks for the maker's older
    driver packages of the same device in the Windows driver store
    (pnputil /enum-drivers) and logs the command that would remove each.
    Nothing is ever deleted.
*/
namespace DriverStoreCheck
{
/** False for the packages that bring no driver: the captions "KeyWeave",
    "Vortex Deck", "Tessel Max", the plug-in caption and "Plugin".
*/
bool isDriverPackage (const juce::String& buttonText, const juce::String& pluginCaption);

/** The device name as package file names spell it: no blanks, no "_",
    lower case.
*/
juce::String matchKeyFor (const juce::String& deviceName);

/** One driver package of the maker found in the listing. */
struct Match
{
    juce::String fileName; // e.g. "velmora_qx4.inf"
    juce::String publishedName; // the ".inf" name listed before it, e.g. "oem12.inf"
};

/** The packages of pnputil's listing whose file name holds "velmora_" and,
    without its "_", the key. Only lines with ".inf" count; the last word of
    each is its name, and the ".inf" line before a package's own file name
    gives its published name.
*/
std::vector<Match> findPackages (const juce::StringArray& listingLines, const juce::String& key);

/** pnputil in the system tool folder, joined with this system's separator. */
juce::String pnputilPath (const juce::String& systemToolFolder);

/** The command line that would remove a published driver package. */
juce::String deleteCommand (const juce::String& systemToolFolder, const juce::String& publishedName);

/** The whole check for the device and the caption of the chosen package,
    with its run-log lines: runs pnputil from the system tool folder and
    logs every match and its delete command. It waits up to two seconds for
    pnputil, so never on the message thread: the interface uses
    runInBackground.
*/
void run (const juce::String& deviceName, const juce::String& buttonText, const juce::String& pluginCaption);

/** run() on a thread of its own: pnputil is given two seconds, which the
    caller does not wait for.
*/
void runInBackground (const juce::String& deviceName, const juce::String& buttonText, const juce::String& pluginCaption);
} // namespace DriverStoreCheck
