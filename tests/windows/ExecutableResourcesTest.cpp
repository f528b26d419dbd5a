#include <gtest/gtest.h>

#include "support/WindowsTestSupport.h"

// The product, the 32-bit Stratoset.exe, as Windows reads it: its version
// block, its manifest and its PE header. The 64-bit build's runner reads the
// 32-bit build's program (STRATOSET_PRODUCT_EXE names it in both).

namespace
{
juce::File program() { return juce::File (juce::String (STRATOSET_PRODUCT_EXE)); }

class VersionBlock
{
public:
    explicit VersionBlock (const juce::File& file)
    {
        const auto path = file.getFullPathName();
        DWORD handle = 0;
        const auto size = GetFileVersionInfoSizeW (path.toWideCharPointer(), &handle);

        if (size > 0)
        {
            data.setSize (size, true);
            loaded = GetFileVersionInfoW (path.toWideCharPointer(), 0, size, data.getData()) != 0;
        }
    }

    const VS_FIXEDFILEINFO* getFixedInfo() const
    {
        void* value = nullptr;
        UINT length = 0;

        if (! loaded || ! VerQueryValueW (data.getData(), L"\\", &value, &length) || length < sizeof (VS_FIXEDFILEINFO))
            return nullptr;

        return static_cast<const VS_FIXEDFILEINFO*> (value);
    }

    /** A value of the block's US English, Windows Latin-1 string table. */
    juce::String getString (const juce::String& name) const
    {
        void* value = nullptr;
        UINT length = 0;
        const auto query = "\\StringFileInfo\\040904E4\\" + name;

        if (! loaded || ! VerQueryValueW (data.getData(), query.toWideCharPointer(), &value, &length))
            return "(missing)";

        return juce::String (static_cast<const wchar_t*> (value));
    }

    bool loaded = false;

private:
    juce::MemoryBlock data;
};

std::unique_ptr<juce::XmlElement> readManifest (const juce::File& file)
{
    auto* module = LoadLibraryExW (file.getFullPathName().toWideCharPointer(), nullptr, LOAD_LIBRARY_AS_DATAFILE);

    if (module == nullptr)
        return nullptr;

    std::unique_ptr<juce::XmlElement> manifest;

    if (auto* resource = FindResourceW (module, MAKEINTRESOURCEW (1), MAKEINTRESOURCEW (24))) // RT_MANIFEST
        if (auto* loaded = LoadResource (module, resource))
            manifest = juce::parseXML (juce::String::fromUTF8 (static_cast<const char*> (LockResource (loaded)),
                                                               (int) SizeofResource (module, resource)));

    FreeLibrary (module);
    return manifest;
}
} // namespace

TEST (ExecutableResources, TheVersionBlockNamesTheProductItsVersionAndTheMaker)
{
    const VersionBlock block (program());
    ASSERT_TRUE (block.loaded);

    const auto* fixed = block.getFixedInfo();
    ASSERT_NE (fixed, nullptr);
    EXPECT_EQ (fixed->dwFileVersionMS, (DWORD) MAKELONG (1, 1)); // 1.1
    EXPECT_EQ (fixed->dwFileVersionLS, (DWORD) MAKELONG (0, 17)); // .17.0
    EXPECT_EQ (fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ (fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ (fixed->dwFileType, (DWORD) VFT_APP);

    EXPECT_EQ (block.getString ("CompanyName"), STRATOSET_COMPANY_NAME);
    EXPECT_EQ (block.getString ("FileDescription"), "Stratoset 1.1.17");
    EXPECT_EQ (block.getString ("ProductName"), "Stratoset 1.1.17");
    EXPECT_EQ (block.getString ("FileVersion"), "1.1.17");
    EXPECT_EQ (block.getString ("ProductVersion"), "1.1.17");
}

TEST (ExecutableResources, TheManifestAsksForNoElevation)
{
    const auto manifest = readManifest (program());
    ASSERT_NE (manifest, nullptr);

    const juce::XmlElement* level = nullptr;

    for (auto* element : manifest->getChildIterator())
        if (element->hasTagNameIgnoringNamespace ("trustInfo"))
            if (auto* security = element->getChildByName ("security"))
                if (auto* privileges = security->getChildByName ("requestedPrivileges"))
                    level = privileges->getChildByName ("requestedExecutionLevel");

    ASSERT_NE (level, nullptr);
    EXPECT_EQ (level->getStringAttribute ("level"), "asInvoker");
    EXPECT_EQ (level->getStringAttribute ("uiAccess"), "false");
}

TEST (ExecutableResources, AThirtyTwoBitWindowsGuiProgram)
{
    EXPECT_EQ (WindowsTestSupport::readPeMachine (program()), IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ (WindowsTestSupport::readPeSubsystem (program()), IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST (ExecutableResources, TheManifestDeclaresPerMonitorScalingAndTheWindowsVersionsItIsMadeFor)
{
    const auto manifest = readManifest (program());
    ASSERT_NE (manifest, nullptr);

    juce::StringArray supported;
    juce::String awareness, aware;

    for (auto* element : manifest->getChildIterator())
    {
        if (element->hasTagNameIgnoringNamespace ("compatibility"))
            if (auto* application = element->getChildByName ("application"))
                for (auto* os : application->getChildWithTagNameIterator ("supportedOS"))
                    supported.add (os->getStringAttribute ("Id").toLowerCase());

        if (element->hasTagNameIgnoringNamespace ("application"))
            if (auto* settings = element->getChildByName ("windowsSettings"))
            {
                if (auto* value = settings->getChildByName ("dpiAwareness"))
                    awareness = value->getAllSubText().trim();
                if (auto* value = settings->getChildByName ("dpiAware"))
                    aware = value->getAllSubText().trim();
            }
    }

    // Windows 7, 8, 8.1 and 10 (which Windows 11 shares).
    for (const auto* id : { "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" })
        EXPECT_TRUE (supported.contains (id)) << id;

    EXPECT_EQ (awareness, "PerMonitorV2, PerMonitor");
    EXPECT_EQ (aware, "true/pm");
}
