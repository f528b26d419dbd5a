#include <gtest/gtest.h>

#include "devices/DeploymentSettings.h"
#include "download/DownloadResultHandling.h"
#include "download/InstallerLauncher.h"
#include "download/InstallerSignature.h"
#include "support/TemporaryFolder.h"
#include "support/WindowsTestSupport.h"

#include <iostream>
#include <windows.h>

// The signature check on the NSIS installer of the whole-flow test, as the
// build signed it for each verdict (signing/test-signers.sh): signed by the
// maker's name, unsigned, one byte of its code changed after signing, and
// signed by another publisher, by a signer whose authority nobody trusts,
// and by one whose certificate has expired (no timestamp). The prefix trusts
// the tests' authority (wine-prefix.sh create --trust).
//
// Known Wine 8 limit: Wine checks the signer's chain (an untrusted root, an
// expired certificate) only when the signer's certificate is itself signed
// with SHA-1, so those two verdicts are made with SHA-1-signed test
// certificates; Windows checks the chain whatever the certificate's digest.

namespace
{
juce::File variant (const juce::String& name)
{
    return WindowsTestSupport::getProgramBesideRunner ("signing\\variants\\" + name);
}

juce::String publisher() { return DeploymentSettings::getPublisherNames()[0]; }

/** Where the NSIS installer of the build's own architecture installs. */
juce::File installFolder()
{
    return juce::File (WindowsTestSupport::getEnvironmentVariable ("ProgramFiles")).getChildFile ("Velmora\\Shortcut Plugin");
}

bool waitForEnd (const InstallerRun& run)
{
    for (int tick = 0; tick < 600 && ! run.hasEnded(); ++tick)
        juce::Thread::sleep (100);

    return run.hasEnded();
}
} // namespace

TEST (InstallerSignatureUnderWine, EachVerdictWithItsSignerAsWinVerifyTrustGivesIt)
{
    using namespace platform::SignatureCode;

    struct Case
    {
        const char* file;
        juce::uint32 verdict;
        juce::String signer;
    };

    const Case cases[] = {
        { "maker.exe", trusted, publisher() },
        { "other.exe", trusted, publisher() + "s" },
        { "unsigned.exe", noSignature, {} },
        // Wine names no signer for a damaged file (Windows reads it from the
        // signature all the same): not asserted.
        { "tampered.exe", badDigest, "?" },
        { "untrusted-root.exe", untrustedRoot, publisher() },
        { "expired.exe", expired, publisher() },
    };

    for (const auto& c : cases)
    {
        ASSERT_TRUE (variant (c.file).existsAsFile()) << variant (c.file).getFullPathName();

        platform::SignatureVerdict notHeld;
        const auto held = platform::installerSignatures().holdAndCheck (variant (c.file), notHeld);
        ASSERT_NE (held, nullptr) << c.file << ": " << InstallerSignature::describeVerdict (notHeld.verdict);

        // What Wine answered, for the record.
        std::cout << c.file << ": " << InstallerSignature::describeVerdict (held->getVerdict().verdict)
                  << ", signer \"" << held->getVerdict().signer << "\"" << std::endl;

        EXPECT_EQ (InstallerSignature::describeVerdict (held->getVerdict().verdict), InstallerSignature::describeVerdict (c.verdict)) << c.file;
        if (c.signer != "?")
            EXPECT_EQ (held->getVerdict().signer, c.signer) << c.file;
        EXPECT_EQ (InstallerSignature::isMakers (held->getVerdict(), DeploymentSettings::getPublisherNames()), juce::String (c.file) == "maker.exe") << c.file;
    }
}

TEST (InstallerSignatureUnderWine, OnlyTheMakersInstallerRunsTheOthersAreRemovedUnstarted)
{
    TemporaryFolder work;
    installFolder().deleteRecursively();

    Selection selection;
    selection.region = "cn";
    selection.softwareName = "Plugin";
    const juce::URL url ("http://127.0.0.1/plugin/Velmora%20Shortcut%20Plugin%20Setup.exe");

    for (const auto* name : { "unsigned.exe", "tampered.exe", "other.exe", "untrusted-root.exe", "expired.exe" })
    {
        // A package that is the installer itself, as downloaded.
        const auto downloaded = work / "Velmora Shortcut Plugin Setup.exe";
        ASSERT_TRUE (variant (name).copyFileTo (downloaded));

        const auto launch = DownloadResult::unpackAndLaunch (url, downloaded, selection);
        EXPECT_EQ (launch.kind, DownloadResult::Launch::Kind::notSigned) << name;
        EXPECT_EQ (DownloadResult::settledStatus (launch), "Install error") << name;
        EXPECT_FALSE (downloaded.exists()) << name << " is removed";
        EXPECT_FALSE (installFolder().exists()) << name << " never ran";
    }

    const auto downloaded = work / "Velmora Shortcut Plugin Setup.exe";
    ASSERT_TRUE (variant ("maker.exe").copyFileTo (downloaded));
    const auto launch = DownloadResult::unpackAndLaunch (url, downloaded, selection);
    ASSERT_EQ (launch.kind, DownloadResult::Launch::Kind::started);
    ASSERT_TRUE (waitForEnd (*launch.run));
    EXPECT_EQ (launch.run->getExitCode(), 0u);
    EXPECT_TRUE (installFolder().getChildFile ("installed-by.txt").loadFileAsString().contains ("/S /allusers"));

    installFolder().deleteRecursively();
}

TEST (InstallerSignatureUnderWine, TheCheckedInstallerCannotBeChangedUntilItHasStarted)
{
    TemporaryFolder work;
    installFolder().deleteRecursively();
    const auto installer = work / "Velmora Shortcut Plugin Setup.exe";
    ASSERT_TRUE (variant ("maker.exe").copyFileTo (installer));
    const auto path = installer.getFullPathName();

    auto checked = InstallerSignature::holdIfMakers (installer);
    ASSERT_NE (checked.program, nullptr);

    // Nobody writes, deletes or renames it while it is held...
    const auto writer = CreateFileW (path.toWideCharPointer(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ (writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ (GetLastError(), (DWORD) ERROR_SHARING_VIOLATION);

    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle (writer);

    EXPECT_FALSE (DeleteFileW (path.toWideCharPointer()));
    EXPECT_FALSE (MoveFileW (path.toWideCharPointer(), (work / "Other.exe").getFullPathName().toWideCharPointer()));

    // ...while it can still be read and started.
    juce::MemoryBlock content;
    EXPECT_TRUE (installer.loadFileAsData (content));
    const auto run = startInstaller ("cn", "Plugin", *checked.program);
    checked.program.reset();
    ASSERT_NE (run, nullptr);
    ASSERT_TRUE (waitForEnd (*run));
    EXPECT_EQ (run->getExitCode(), 0u);

    // Let go of, it is an ordinary file again.
    EXPECT_TRUE (installer.deleteFile());
    installFolder().deleteRecursively();
}
