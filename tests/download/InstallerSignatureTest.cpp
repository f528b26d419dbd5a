#include <gtest/gtest.h>

#include "download/InstallerLauncher.h"
#include "download/InstallerSignature.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"

namespace
{
using platform::SignatureCode::badDigest;
using platform::SignatureCode::expired;
using platform::SignatureCode::noSignature;
using platform::SignatureCode::trusted;
using platform::SignatureCode::untrustedRoot;

const juce::StringArray publisherNames { "Velmora Studio", "Velmora Audio Ltd." };
} // namespace

TEST (InstallerSignature, OnlyAValidSignatureWhoseSignerIsNamedWholeIsTheMakers)
{
    struct Signer
    {
        const char* commonName;
        bool isAPublisherName; // letter case aside, and whole
    };

    const Signer signers[] = {
        { "Velmora Studio", true },
        { "VELMORA studio", true },
        { "velmora audio ltd.", true }, // the second name
        { "Velmora", false }, // a prefix of a name
        { "Velmora Studio GmbH", false }, // a name as a prefix
        { "Studio", false }, // a part of one
        { "Velmora Studio ", false }, // one blank more
        { "Velmora Audio Ltd", false }, // punctuation is not case
        { "Someone Else", false },
        { "", false }, // no common name
    };

    const juce::uint32 verdicts[] = { trusted, noSignature, badDigest, untrustedRoot, expired, 0x800B010A };

    for (const auto verdict : verdicts)
        for (const auto& signer : signers)
            EXPECT_EQ (InstallerSignature::isMakers ({ verdict, signer.commonName }, publisherNames), verdict == trusted && signer.isAPublisherName)
                << InstallerSignature::describeVerdict (verdict) << " signed by \"" << signer.commonName << "\"";

    EXPECT_FALSE (InstallerSignature::isMakers ({ trusted, "Velmora Studio" }, {})) << "no names, no installer";
    EXPECT_FALSE (InstallerSignature::isMakers ({ trusted, "" }, { "" }));
}

TEST (InstallerSignature, TheLogNamesTheVerdictTheSignerAndWhatWindows7WithoutSha2WouldSay)
{
    EXPECT_EQ (InstallerSignature::describeVerdict (noSignature), "0x800B0100 (TRUST_E_NOSIGNATURE)");
    EXPECT_EQ (InstallerSignature::describeVerdict (badDigest), "0x80096010 (TRUST_E_BAD_DIGEST)");
    EXPECT_EQ (InstallerSignature::describeVerdict (0x80070005), "0x80070005");

    EXPECT_EQ (InstallerSignature::describeRefusal ({ untrustedRoot, "Velmora Studio" }, "win10"),
               "verdict 0x800B0109 (CERT_E_UNTRUSTEDROOT), signer Velmora Studio");
    EXPECT_EQ (InstallerSignature::describeRefusal ({ trusted, "Someone Else" }, "win10"),
               "verdict 0x00000000 (valid), signer Someone Else: a valid signature of another publisher");

    // A SHA-256-only signature reads as damaged or missing on Windows 7
    // without SHA-2 code signing support; the log says so there only.
    for (const auto verdict : { badDigest, noSignature })
    {
        EXPECT_TRUE (InstallerSignature::describeRefusal ({ verdict, {} }, "win7").contains ("SHA-2 code signing support"));
        EXPECT_FALSE (InstallerSignature::describeRefusal ({ verdict, {} }, "win10").contains ("SHA-2"));
    }

    EXPECT_FALSE (InstallerSignature::describeRefusal ({ untrustedRoot, "Velmora Studio" }, "win7").contains ("SHA-2"));
}

TEST (InstallerSignature, TheSimulatedHostSaysWhoSignedWhatAndOnlyTheMakersStays)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard { host.getFolder() };
    LogCapture log;

    const auto program = [&host] (const juce::String& name, const juce::String& body)
    { return host.write ("Temp/VelmoraTmp/" + name, "#!/bin/sh\n" + body + "\n"); };

    const auto describe = [&host] (const juce::File& file, const juce::String& verdict)
    {
        juce::MemoryBlock content;
        file.loadFileAsData (content);
        host.describeSignature (content, verdict);
    };

    struct Case
    {
        juce::File file;
        const char* description; // nullptr: not listed
        juce::uint32 verdict;
        const char* signer;
    };

    const Case cases[] = {
        { program ("Makers.exe", "exit 0"), "signed by velmora STUDIO", trusted, "velmora STUDIO" },
        { program ("Other.exe", "exit 1"), "signed by Someone Else", trusted, "Someone Else" },
        { program ("Tampered.exe", "exit 2"), "tampered, signed by Velmora Studio", badDigest, "Velmora Studio" },
        { program ("Unsigned.exe", "exit 3"), "unsigned", noSignature, "" },
        { program ("Unlisted.exe", "exit 4"), nullptr, noSignature, "" },
        { program ("Root.exe", "exit 5"), "untrusted root, signed by Velmora Studio", untrustedRoot, "Velmora Studio" },
        { program ("Expired.exe", "exit 6"), "expired, signed by Velmora Studio", expired, "Velmora Studio" },
    };

    for (const auto& c : cases)
        if (c.description != nullptr)
            describe (c.file, c.description);

    for (const auto& c : cases)
    {
        platform::SignatureVerdict notHeld;
        const auto held = platform::installerSignatures().holdAndCheck (c.file, notHeld);
        ASSERT_NE (held, nullptr) << c.file.getFileName();
        EXPECT_EQ (held->getVerdict().verdict, c.verdict) << c.file.getFileName();
        EXPECT_EQ (held->getVerdict().signer, c.signer) << c.file.getFileName();
    }

    // Only the maker's is held for its start; every other one is removed.
    for (const auto& c : cases)
    {
        const auto checked = InstallerSignature::holdIfMakers (c.file);
        const auto isMakers = juce::String (c.description) == "signed by velmora STUDIO";
        EXPECT_EQ (checked.program != nullptr, isMakers) << c.file.getFileName();
        EXPECT_EQ (checked.refused, ! isMakers) << c.file.getFileName();
        EXPECT_EQ (c.file.existsAsFile(), isMakers) << c.file.getFileName();
    }

    EXPECT_EQ (log.countContaining ("<InstallerSignature> Not signed by the maker, not started: "), 6);
    EXPECT_EQ (log.countContaining ("Tampered.exe; verdict 0x80096010 (TRUST_E_BAD_DIGEST), signer Velmora Studio"), 1);

    platform::SignatureVerdict notHeld;
    EXPECT_EQ (platform::installerSignatures().holdAndCheck (host / "Temp/VelmoraTmp/Missing.exe", notHeld), nullptr);
    EXPECT_FALSE (InstallerSignature::holdIfMakers (host / "Temp/VelmoraTmp/Missing.exe").refused) << "not there: nothing to refuse";
}

TEST (InstallerSignature, AnInstallerChangedAfterItsCheckIsNotStarted)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard { host.getFolder() };
    FakeInstaller::signAsMaker (host.getFolder());
    LogCapture log;

    const auto installer = FakeInstaller::placeAt (host / "Temp/VelmoraTmp/Setup.silent.exe");
    auto checked = InstallerSignature::holdIfMakers (installer);
    ASSERT_NE (checked.program, nullptr);

    // Swapped for another program between the check and the start.
    const auto swapped = host.write ("Temp/VelmoraTmp/Other.exe", "#!/bin/sh\nexit 0\n");
    ASSERT_TRUE (swapped.moveFileTo (installer));

    EXPECT_EQ (startInstaller ("cn", "Driver", *checked.program), nullptr);
    EXPECT_EQ (log.countContaining ("<launchInstaller> The installer changed after its signature check, not started: "), 1);

    // The maker's installer as checked starts.
    FakeInstaller::placeAt (installer);
    checked = InstallerSignature::holdIfMakers (installer);
    ASSERT_NE (checked.program, nullptr);
    EXPECT_NE (startInstaller ("cn", "Driver", *checked.program), nullptr);
    checked.program.reset();
    ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
    EXPECT_EQ (FakeInstaller::readRuns (installer).size(), 1u);
}
