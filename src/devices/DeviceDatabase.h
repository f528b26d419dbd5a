#pragma once

#include <juce_core/juce_core.h>

#include "devices/SharedSettings.h"

#include <unordered_map>

/** What the device list says about one USB device on this host: the
    device's display names, the package codes it may install, one offer text
    per admitted package and the device's picture address(es).

    Every selection rule lives in the constructor: region, Windows
    generation, old Windows 10 builds, processor architecture, bitness and
    the preference for a 64-bit package over its 32-bit neighbour. An offer
    text is

        "<" name "," code expanded-os area bitness-word ">" base "/" file

    and its download address (after the first ">") is kept as the list
    joins it; whatever stores a file from it takes the name through
    LocalFileName, never from the address as it stands.

    A plain value: immutable after construction, copyable and movable.
*/
class DeviceDatabase
{
public:
    /** Reads `listFile` for the device whose product ID text is `devicePid`
        ("0x" + four upper-case hexadecimal digits). A missing or invalid
        file gives empty lists.
    */
    DeviceDatabase (const juce::File& listFile, const juce::String& devicePid);

    /** The same from a list already parsed: a catalogue of many devices reads
        the file once and shares the document.
    */
    DeviceDatabase (const juce::XmlElement& listRoot, const juce::String& devicePid);

    /** Writes the lists to the run log and raises osVersionTooOld when the
        device has a picture but nothing this old Windows 10 may install.
    */
    void displayData() const;

    const juce::StringArray& getOldWin10Whitelist() const noexcept { return _oldWin10Whitelist; }
    const juce::String& getOs() const noexcept { return _os; }
    const juce::String& getBit() const noexcept { return _bit; }

    /** The device's names, joined by " / " in the order met. */
    const juce::String& getDeviceName() const noexcept { return _deviceName; }

    /** The package codes of the offers, each once, in order of admission. */
    const juce::StringArray& getDriverTypeList() const noexcept { return _driverTypeList; }

    /** The offer texts, each once, in order of admission. */
    const juce::StringArray& getDriverData() const noexcept { return _driverData; }

    /** The bare picture address when the device has one name; otherwise
        "<name>address" pieces, one per picture item.
    */
    const juce::String& getPicture() const noexcept { return _picture; }

    /** The SHA-256 the list gives the package of one of the offers (its
        item's `sha256` attribute, as written), or empty when it gives none.
    */
    juce::String getPackageSha256 (const juce::String& offer) const;

    const SharedSettings* getSettings() const noexcept { return _settings; }
    const juce::String& getRegion() const noexcept { return _region; }

private:
    void readList (const juce::XmlElement& root, const juce::String& devicePid, bool quiet);
    void readItems (const juce::XmlElement& root, const juce::String& devicePid);
    void commit (const juce::String& code, const juce::String& offer);

    juce::StringArray _oldWin10Whitelist;
    juce::String _os;
    juce::String _bit;
    juce::String _deviceName;
    juce::StringArray _driverTypeList;
    juce::StringArray _driverData;
    juce::String _picture;
    SharedSettings* _settings = nullptr;
    juce::String _region;
    std::unordered_map<juce::String, juce::String> _packageSha256; // offer text -> SHA-256

    JUCE_LEAK_DETECTOR (DeviceDatabase)
};
