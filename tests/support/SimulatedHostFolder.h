#pragma once

#include "support/TemporaryFolder.h"

#include <juce_cryptography/juce_cryptography.h>

#include <cstdlib>
#include <optional>
#include <string>

/** A simulated Windows host in a temporary folder, named by
    STRATOSET_SIMULATED_HOST for as long as this object lives.
*/
class SimulatedHostFolder
{
public:
    SimulatedHostFolder()
    {
        if (const auto* previous = std::getenv (variable))
            previousValue = std::string (previous);

        setenv (variable, root.getFolder().getFullPathName().toRawUTF8(), 1);
    }

    ~SimulatedHostFolder()
    {
        if (previousValue.has_value())
            setenv (variable, previousValue->c_str(), 1);
        else
            unsetenv (variable);
    }

    const juce::File& getFolder() const { return root.getFolder(); }
    juce::File operator/ (const juce::String& relativePath) const { return root / relativePath; }

    juce::File write (const juce::String& relativePath, const juce::String& text) const { return root.write (relativePath, text); }

    /** A Windows version line such as "10.0.19045". */
    void setWindowsVersion (const juce::String& line) const { write ("windows-version", line + "\n"); }

    /** true: a 64-bit Windows; false: a 32-bit one. */
    void setWow64 (bool is64Bit) const { write ("wow64", is64Bit ? "1\n" : "0\n"); }

    /** What the host says of the signature of a program with this content:
        a line of its file "signatures" ("signed by <name>", "tampered",
        "unsigned", "untrusted root, signed by <name>", ...).
    */
    void describeSignature (const juce::MemoryBlock& program, const juce::String& verdict) const
    {
        describeSignature (root.getFolder(), program, verdict);
    }

    static void describeSignature (const juce::File& hostFolder, const juce::MemoryBlock& program, const juce::String& verdict)
    {
        hostFolder.getChildFile ("signatures").appendText (juce::SHA256 (program).toHexString() + " " + verdict + "\n", false, false, "\n");
    }

private:
    static constexpr const char* variable = "STRATOSET_SIMULATED_HOST";

    TemporaryFolder root;
    std::optional<std::string> previousValue;
};
