#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/InstallerSignatureService.h"

/** The check every installer passes just before it is started: its
    Authenticode signature must be valid and its signer must be the maker.
*/
namespace InstallerSignature
{
/** The rule: the signature is valid (the system's verdict is 0) and the
    signer's common name equals one of `publisherNames`, letter case aside;
    never a part of a name, and never an empty name.
*/
bool isMakers (const platform::SignatureVerdict& verdict, const juce::StringArray& publisherNames);

/** A verdict as the log shows it: "0x800B0100 (TRUST_E_NOSIGNATURE)", or
    the code alone when it is none of the known ones.
*/
juce::String describeVerdict (juce::uint32 verdict);

/** The log's reason for a refusal, from the verdict, the signer found and
    the OS name: says which rule failed, and on Windows 7 that a system
    without SHA-2 code signing support answers a signature made with SHA-256
    alone as it would a damaged or missing one.
*/
juce::String describeRefusal (const platform::SignatureVerdict& verdict, const juce::String& osName);

/** What came of the check. */
struct Checked
{
    /** The installer, held open so that nothing can change it: keep it
        until its process has started. Null when it may not be started.
    */
    std::unique_ptr<platform::HeldProgram> program;

    /** Not the maker's: the signature is not valid or its signer is
        someone else. The file has been removed. False with no program when
        the file could not be opened at all.
    */
    bool refused = false;
};

/** Holds `installer` open and checks it against the maker's publisher
    names (DeploymentSettings). The verdict and the signer found go to the
    run log; a refused installer is removed. It reads the whole file, so
    it is never called on the message thread.
*/
Checked holdIfMakers (const juce::File& installer);
} // namespace InstallerSignature
