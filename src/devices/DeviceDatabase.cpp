#include "devices/DeviceDatabase.h"

#include "base/ProcessState.h"
#include "devices/DeploymentSettings.h"
#include "devices/DeviceListFormat.h"
#include "devices/HostSystem.h"
#include "devices/ServerAddresses.h"

using namespace DeviceListFormat;

namespace
{
void log (const juce::String& message)
{
    juce::Logger::writeToLog (message);
}

/** The address that package and picture files are joined to. */
juce::String choosePackageBase (const juce::XmlElement& root, const juce::String& os, const juce::String& region)
{
    auto base = readAttribute (root, "driverBaseUrlCN");

    if (os == "win7")
        base = readAttribute (root, "driverBaseUrlWin7");

    if (base.isEmpty())
        base = readAttribute (root, "driverBaseUrl");

    if (region == "cn")
        base = getDeploymentSettings().downloadServer;

    if (os == "win7")
        base = ServerAddresses::withPlainHttp (base);

    return base;
}

/** The part of an offer text before its address: name, code, OS names,
    regions and bitness word. The address is left out of the comparisons
    between neighbouring offers, so a file name such as "Setup_64bit.zip"
    cannot make a 32-bit package pass for a 64-bit one.
*/
juce::String describedPart (const juce::String& offer)
{
    return offer.upToFirstOccurrenceOf (">", false, false);
}
} // namespace

DeviceDatabase::DeviceDatabase (const juce::File& listFile, const juce::String& devicePid)
    : _settings (&getSharedSettings()),
      _region (_settings->region)
{
    const bool quiet = manualModeActive.load();

    if (! listFile.existsAsFile())
    {
        if (! quiet)
            log ("<DeviceDatabase> XML file does not exist! (" + listFile.getFullPathName() + ")");

        return;
    }

    const auto root = parseListFile (listFile);

    if (root == nullptr)
    {
        if (! quiet)
            log ("<DeviceDatabase> Invalid XML file or wrong root element!");

        return;
    }

    readList (*root, devicePid, quiet);
}

DeviceDatabase::DeviceDatabase (const juce::XmlElement& listRoot, const juce::String& devicePid)
    : _settings (&getSharedSettings()),
      _region (_settings->region)
{
    readList (listRoot, devicePid, manualModeActive.load());
}

void DeviceDatabase::readList (const juce::XmlElement& root, const juce::String& devicePid, bool quiet)
{
    for (auto* child : root.getChildIterator())
    {
        if (! hasTag (*child, whitelistTag))
            continue;

        for (auto* entry : child->getChildIterator())
        {
            if (! hasTag (*entry, whitelistEntryTag))
                continue;

            const auto pid = entry->getAllSubText().trim();

            if (pid.isNotEmpty())
                _oldWin10Whitelist.add (pid);
        }

        break; // only the first whitelist counts
    }

    log ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: " + juce::String (_oldWin10Whitelist.size()));

    _os = getOsName();
    _bit = getSystemBitness();

    if (! quiet || ! osInfoLogged.load())
    {
        log ("<DeviceDatabase::DeviceDatabase> OS is now: " + _os + " " + _bit + "-bit");
        osInfoLogged = true;
    }

    readItems (root, devicePid);

    // With one name the first picture needs no name to be picked by.
    if (! _deviceName.contains (" / "))
        _picture = _picture.fromFirstOccurrenceOf (">", false, false);

    if (! quiet)
        displayData();
}

void DeviceDatabase::readItems (const juce::XmlElement& root, const juce::String& devicePid)
{
    const auto base = choosePackageBase (root, _os, _region);
    const bool oldWindows10 = isWindows10Build1909OrOlder();
    const bool whitelisted = _oldWin10Whitelist.contains (devicePid);
    const bool windows10Or11 = (_os == "win10" || _os == "win11");

    // The last admitted offer, held back until the next one shows whether
    // it is the 32-bit twin of a 64-bit package.
    juce::String pendingCode, pendingOffer;

    for (auto* item : root.getChildIterator())
    {
        if (! hasTag (*item, itemTag))
            continue;

        const auto id1 = readProductId (*item, "pid");
        const auto secondPid = readLeadingInteger (readAttribute (*item, "pid_2"));

        if (id1 != devicePid && ! (secondPid != 0 && toProductIdText (secondPid) == devicePid))
            continue;

        const auto area = effectiveArea (readAttribute (*item, "area"));
        const auto name = readAttribute (*item, "name");
        const auto type = readAttribute (*item, "type");
        const auto os = readAttribute (*item, "os");
        const auto maxbuild = readAttribute (*item, "maxbuild");
        const auto osbit = readAttribute (*item, "osbit");
        const auto file = readAttribute (*item, "file");

        if (_deviceName.isEmpty())
            _deviceName = name;
        else if (! _deviceName.contains (name))
            _deviceName << " / " << name;

        if (readAttribute (*item, "arch") == "arm")
            continue;

        if (type == pictureType)
        {
            _picture << "<" << name << ">" << base << "/" << file;
            continue;
        }

        if (windows10Or11)
        {
            const bool markedOld = (maxbuild == oldWindows10Mark);

            if (oldWindows10 ? ! (os == "win" || (whitelisted && markedOld)) : markedOld)
                continue;
        }

        if (! area.contains (_region))
            continue;

        const auto expandedOs = expandOsNames (os);

        if (! expandedOs.contains (_os))
            continue;

        if (! (osbit.isEmpty() || osbit == _bit || (osbit == "32" && _bit == "64")))
            continue;

        const auto bitnessWord = osbit.isEmpty() ? juce::String ("64bit") : osbit + "bit";
        const auto offer = "<" + name + "," + type + expandedOs + area + bitnessWord + ">" + base + "/" + file;

        // The first item of an offer text has the word on its package.
        if (const auto sha256 = readAttribute (*item, packageHashAttribute); sha256.isNotEmpty())
            _packageSha256.emplace (offer, sha256);

        if (pendingOffer.isEmpty())
        {
            pendingCode = type;
            pendingOffer = offer;
            continue;
        }

        const auto pendingDescription = describedPart (pendingOffer);
        const bool twin = (pendingCode == type && pendingDescription.contains (name));

        if (twin && pendingDescription.contains ("64bit"))
            continue; // the 64-bit package is already there

        if (twin && pendingDescription.contains ("32bit") && describedPart (offer).contains ("64bit"))
        {
            // The 64-bit package takes its 32-bit twin's place.
            pendingOffer = offer;
            commit (pendingCode, pendingOffer);
            continue;
        }

        commit (pendingCode, pendingOffer);
        pendingCode = type;
        pendingOffer = offer;
    }

    if (pendingOffer.isNotEmpty())
        commit (pendingCode, pendingOffer);
}

void DeviceDatabase::commit (const juce::String& code, const juce::String& offer)
{
    _driverTypeList.addIfNotAlreadyThere (code);
    _driverData.addIfNotAlreadyThere (offer);
}

juce::String DeviceDatabase::getPackageSha256 (const juce::String& offer) const
{
    const auto found = _packageSha256.find (offer);
    return found != _packageSha256.end() ? found->second : juce::String();
}

void DeviceDatabase::displayData() const
{
    if (! _driverTypeList.isEmpty())
    {
        log ("<DeviceDatabase::displayData> _driverTypeList:");

        for (const auto& code : _driverTypeList)
            log (code);
    }

    if (! _driverData.isEmpty())
    {
        log ("<DeviceDatabase::displayData> _driverData:");

        for (const auto& offer : _driverData)
            log (offer);
    }

    if (_picture.isNotEmpty())
        log (juce::String ("<DeviceDatabase::displayData> _picture:") + juce::newLine + _picture);

    if (_driverData.isEmpty() && _picture.isNotEmpty() && isWindows10Build1909OrOlder() && _os != "win7")
    {
        log (juce::String ("DeviceDatabase > OS version is too old!") + juce::newLine);
        osVersionTooOld = true;
    }
}
