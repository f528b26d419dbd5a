#include "download/InstallerSignature.h"

#include "devices/DeploymentSettings.h"
#include "devices/HostSystem.h"

namespace InstallerSignature
{
namespace
{
    const juce::String tag ("<InstallerSignature> ");

    const char* nameOf (juce::uint32 verdict)
    {
        using namespace platform::SignatureCode;

        switch (verdict)
        {
            case trusted:
                return "valid";
            case noSignature:
                return "TRUST_E_NOSIGNATURE";
            case badDigest:
                return "TRUST_E_BAD_DIGEST";
            case untrustedRoot:
                return "CERT_E_UNTRUSTEDROOT";
            case expired:
                return "CERT_E_EXPIRED";
            case chaining:
                return "CERT_E_CHAINING";
            case notTrusted:
                return "TRUST_E_SUBJECT_NOT_TRUSTED";
            case explicitDistrust:
                return "TRUST_E_EXPLICIT_DISTRUST";
            case revoked:
                return "CERT_E_REVOKED";
            default:
                return nullptr;
        }
    }
} // namespace

bool isMakers (const platform::SignatureVerdict& verdict, const juce::StringArray& publisherNames)
{
    if (! verdict.isTrusted() || verdict.signer.isEmpty())
        return false;

    for (const auto& name : publisherNames)
        if (name.isNotEmpty() && verdict.signer.equalsIgnoreCase (name))
            return true;

    return false;
}

juce::String describeVerdict (juce::uint32 verdict)
{
    const auto code = "0x" + juce::String::toHexString ((juce::int64) verdict).paddedLeft ('0', 8).toUpperCase();

    if (const auto* name = nameOf (verdict))
        return code + " (" + name + ")";

    return code;
}

juce::String describeRefusal (const platform::SignatureVerdict& verdict, const juce::String& osName)
{
    const auto signer = verdict.signer.isNotEmpty() ? verdict.signer : juce::String ("(none)");
    auto reason = "verdict " + describeVerdict (verdict.verdict) + ", signer " + signer;

    if (verdict.isTrusted())
        reason << ": a valid signature of another publisher";

    // Windows 7 without the SHA-2 code signing update reads a signature made
    // with SHA-256 alone as damaged or missing: the maker's remedy is a
    // second (SHA-1) signature beside it.
    if (osName == "win7" && (verdict.verdict == platform::SignatureCode::badDigest || verdict.verdict == platform::SignatureCode::noSignature))
        reason << "; on Windows 7 without SHA-2 code signing support (KB4474419) this is also the answer to an installer signed with SHA-256 alone";

    return reason;
}

Checked holdIfMakers (const juce::File& installer)
{
    Checked checked;
    platform::SignatureVerdict notHeld;
    auto held = platform::installerSignatures().holdAndCheck (installer, notHeld);

    if (held == nullptr)
    {
        juce::Logger::writeToLog (tag + "The installer could not be opened for its signature check: " + installer.getFullPathName()
                                  + ", " + describeVerdict (notHeld.verdict));
        return checked;
    }

    const auto& verdict = held->getVerdict();

    if (isMakers (verdict, DeploymentSettings::getPublisherNames()))
    {
        juce::Logger::writeToLog (tag + "Signed by " + verdict.signer + ": " + installer.getFullPathName());
        checked.program = std::move (held);
        return checked;
    }

    juce::Logger::writeToLog (tag + "Not signed by the maker, not started: " + installer.getFullPathName() + "; "
                              + describeRefusal (verdict, getOsName()));

    // Let go first: a held file cannot be removed on Windows.
    held.reset();

    if (! installer.deleteFile())
        juce::Logger::writeToLog (tag + "The refused installer could not be removed: " + installer.getFullPathName());

    checked.refused = true;
    return checked;
}
} // namespace InstallerSignature
