#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** What the system says of a program's Authenticode signature.

    `verdict` is WinVerifyTrust's answer, an HRESULT (the simulated host
    answers with the same codes): 0 when the signature is whole and its
    chain ends at a trusted root, else the reason it is not.
*/
struct SignatureVerdict
{
    juce::uint32 verdict = 0;

    /** The signer certificate's subject common name; empty when there is
        no signer or its certificate names no common name.
    */
    juce::String signer;

    bool isTrusted() const { return verdict == 0; }
};

/** WinVerifyTrust's answers that the program tells apart in its log. */
namespace SignatureCode
{
    constexpr juce::uint32 trusted = 0;
    constexpr juce::uint32 noSignature = 0x800B0100; // TRUST_E_NOSIGNATURE
    constexpr juce::uint32 badDigest = 0x80096010; // TRUST_E_BAD_DIGEST
    constexpr juce::uint32 untrustedRoot = 0x800B0109; // CERT_E_UNTRUSTEDROOT
    constexpr juce::uint32 expired = 0x800B0101; // CERT_E_EXPIRED
    constexpr juce::uint32 chaining = 0x800B010A; // CERT_E_CHAINING
    constexpr juce::uint32 notTrusted = 0x800B0004; // TRUST_E_SUBJECT_NOT_TRUSTED
    constexpr juce::uint32 explicitDistrust = 0x800B0111; // TRUST_E_EXPLICIT_DISTRUST
    constexpr juce::uint32 revoked = 0x800B010C; // CERT_E_REVOKED
} // namespace SignatureCode

/** A program held open from its signature check until it has been started:
    on Windows a handle without write and delete sharing, so nothing can
    write, rename or delete the file while this lives, and the check read
    the file through that same handle.
*/
class HeldProgram
{
public:
    virtual ~HeldProgram() = default;

    const juce::File& getFile() const { return file; }
    const SignatureVerdict& getVerdict() const { return verdict; }

    /** Whether the file at the path is still the one that was checked.
        Always so on Windows, where the handle keeps it; the simulated host
        compares the file with what it held.
    */
    virtual bool isStillTheCheckedFile() const = 0;

protected:
    HeldProgram (const juce::File& program, const SignatureVerdict& verdictFound)
        : file (program), verdict (verdictFound) {}

private:
    juce::File file;
    SignatureVerdict verdict;
};

/** Checks the Authenticode signature of a program before it is started.

    On Windows WinVerifyTrust (WINTRUST_ACTION_GENERIC_VERIFY_V2) with no
    user interface and no network (URLs from the cache only, revocation
    from the cache only), its state closed after use; a timestamped
    signature counts as valid after its certificate has expired. The
    simulated host answers from its file "signatures" (SimulatedHost).
*/
class InstallerSignatureService
{
public:
    virtual ~InstallerSignatureService() = default;

    /** Opens `program` so that nobody can change it and checks its
        signature through that same opening. Null when the file could not
        be opened, with `verdictIfNotHeld` saying why.
    */
    virtual std::unique_ptr<HeldProgram> holdAndCheck (const juce::File& program, SignatureVerdict& verdictIfNotHeld) = 0;

    static std::unique_ptr<InstallerSignatureService> createNative();
};

inline InstallerSignatureService& installerSignatures() { return PlatformService<InstallerSignatureService>::get(); }
} // namespace platform
