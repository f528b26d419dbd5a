#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "ui/DeviceCatalogue.h"

namespace
{
/** The shared entry of product ID 0x1A2A as the device database gives it. */
DeviceCatalogue novaCatalogue()
{
    DeviceCatalogue catalogue;
    const juce::String shared = "Nova / Nova Mini";
    catalogue.names = { shared };
    catalogue.driverTypes[shared] = { "tessellite+dri", "tessel" };
    catalogue.driverData[shared] = { "<Nova,tessellite+driwin7/win10/win11cn/en64bit>https://h/nova/TesselLite_1.8.zip",
                                     "<Nova Mini,tesselwin7/win10/win11cn/en64bit>https://h/novamini/Tessel_1.3.zip" };
    catalogue.pictures[shared] = "<Nova>https://h/pictures/nova.png<Nova Mini>https://h/pictures/nova_mini.png";
    return catalogue;
}

const auto nothingConnected = [] (const juce::String&)
{ return false; };
} // namespace

TEST (DeviceCatalogue, PlainNamesAreSortedIgnoringCase)
{
    DeviceCatalogue catalogue;
    catalogue.names = { "b", "A", "", "c" };

    LogCapture log;
    EXPECT_EQ (catalogue.sortAndSplit (false, nothingConnected), juce::StringArray ({ "A", "b", "c" }));
    EXPECT_TRUE (log.contains ("<InterfaceComponent::updateItems> combobox update item: b"));

    log.clear();
    catalogue.sortAndSplit (true, nothingConnected);
    EXPECT_EQ (log.countContaining ("combobox update item"), 0) << "manual mode lists quietly";

    DeviceCatalogue firstNameEmpty;
    firstNameEmpty.names = { "", "A" };
    EXPECT_TRUE (firstNameEmpty.isEmpty());
    EXPECT_TRUE (DeviceCatalogue().isEmpty());
}

TEST (DeviceCatalogue, SharedEntryOffersOnlyTheAttachedDevice)
{
    auto catalogue = novaCatalogue();
    juce::StringArray asked;

    const auto items = catalogue.sortAndSplit (false, [&asked] (const juce::String& name)
                                               {
                                                   asked.add (name);
                                                   return name == "Nova Mini"; });

    EXPECT_EQ (items, juce::StringArray ("Nova Mini"));
    EXPECT_EQ (asked, juce::StringArray ({ "Nova Mini", "Nova" })) << "names are taken from the last";

    // Each device keeps only its own offer, although "Nova" is part of "Nova Mini".
    EXPECT_EQ (catalogue.driverData["Nova Mini"], juce::StringArray (catalogue.driverData["Nova / Nova Mini"][1]));
    EXPECT_EQ (catalogue.driverData["Nova"], juce::StringArray (catalogue.driverData["Nova / Nova Mini"][0]));
    EXPECT_EQ (catalogue.driverTypes["Nova Mini"], juce::StringArray ("tessel"));
    EXPECT_EQ (catalogue.driverTypes["Nova"], juce::StringArray ("tessellite"));
    EXPECT_EQ (catalogue.pictures["Nova Mini"], "https://h/pictures/nova_mini.png");
    EXPECT_EQ (catalogue.pictures["Nova"], "https://h/pictures/nova.png");
    EXPECT_EQ (catalogue.driverData["Nova / Nova Mini"].size(), 2) << "the shared entry stays";
}

TEST (DeviceCatalogue, ManualModeListsEveryDeviceOfASharedEntry)
{
    auto catalogue = novaCatalogue();
    catalogue.names.add ("Arc 2");

    EXPECT_EQ (catalogue.sortAndSplit (true, nothingConnected), juce::StringArray ({ "Arc 2", "Nova Mini", "Nova" }));

    // A device without offer or picture piece of its own gets no entries.
    DeviceCatalogue three;
    three.names = { "X / Y / Z" };
    three.driverData["X / Y / Z"] = { "<X,driwin10cn64bit>https://h/x.zip", "<Z,dri+keyweavewin10cn64bit>https://h/z.zip" };
    three.pictures["X / Y / Z"] = "<X>https://h/x.png<Z>https://h/z.png";

    EXPECT_EQ (three.sortAndSplit (true, nothingConnected), juce::StringArray ({ "Z", "Y", "X" }));
    EXPECT_EQ (three.pictures["X"], "https://h/x.png");
    EXPECT_EQ (three.pictures["Z"], "https://h/z.png");
    EXPECT_EQ (three.pictures.count ("Y"), 0u);
    EXPECT_EQ (three.driverData.count ("Y"), 0u);
    EXPECT_EQ (three.driverTypes["Z"], juce::StringArray ("keyweave"));
}
