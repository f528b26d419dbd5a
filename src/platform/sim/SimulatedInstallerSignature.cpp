#include "platform/InstallerSignatureService.h"

#include "platform/sim/SimulatedHost.h"

#include <juce_cryptography/juce_cryptography.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
namespace
{
    /** Reads an open file descriptor, from its start, without closing it. */
    class DescriptorInputStream final : public juce::InputStream
    {
    public:
        DescriptorInputStream (int descriptorToRead, juce::int64 size) : descriptor (descriptorToRead), length (size) {}

        juce::int64 getTotalLength() override { return length; }
        bool isExhausted() override { return position >= length; }
        juce::int64 getPosition() override { return position; }

        bool setPosition (juce::int64 newPosition) override
        {
            position = juce::jlimit ((juce::int64) 0, length, newPosition);
            return true;
        }

        int read (void* destination, int maxBytes) override
        {
            const auto got = ::pread (descriptor, destination, (size_t) maxBytes, (off_t) position);

            if (got <= 0)
                return 0;

            position += got;
            return (int) got;
        }

    private:
        const int descriptor;
        const juce::int64 length;
        juce::int64 position = 0;
    };

    bool sameFile (const struct stat& a, const struct stat& b)
    {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
               && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
    }

    /** A program of the simulated host, held by an open descriptor. Nothing
        on Linux keeps others from writing or renaming it, so the start asks
        whether the path still names the very file that was checked,
        unchanged since.
    */
    class SimulatedHeldProgram final : public HeldProgram
    {
    public:
        SimulatedHeldProgram (const juce::File& program, const SignatureVerdict& verdictFound, int descriptorHeld, const struct stat& checked)
            : HeldProgram (program, verdictFound), descriptor (descriptorHeld), checkedState (checked) {}

        ~SimulatedHeldProgram() override { ::close (descriptor); }

        bool isStillTheCheckedFile() const override
        {
            struct stat held = {}, atPath = {};
            return ::fstat (descriptor, &held) == 0 && ::stat (getFile().getFullPathName().toRawUTF8(), &atPath) == 0
                   && sameFile (held, checkedState) && sameFile (atPath, checkedState);
        }

    private:
        const int descriptor;
        const struct stat checkedState;
    };

    /** The host's word on the program whose SHA-256 is `hash`, from its file
        "signatures": one line per program, its SHA-256 in hexadecimal, a
        blank and the verdict, one of
            signed by <name>
            untrusted root, signed by <name>
            expired, signed by <name>
            tampered[, signed by <name>]
            unsigned
        A program the file does not list is unsigned; "#" starts a comment.
    */
    SignatureVerdict lookUp (const juce::String& hash)
    {
        SignatureVerdict unsignedProgram { SignatureCode::noSignature, {} };
        const auto description = sim::SimulatedHost::getChild ("signatures");

        if (! description.has_value() || ! description->existsAsFile())
            return unsignedProgram;

        juce::StringArray lines;
        description->readLines (lines);

        for (const auto& line : lines)
        {
            const auto trimmed = line.trim();

            if (trimmed.startsWithChar ('#') || ! trimmed.upToFirstOccurrenceOf (" ", false, false).equalsIgnoreCase (hash))
                continue;

            const auto words = trimmed.fromFirstOccurrenceOf (" ", false, false).trim();
            const auto signedBy = juce::String ("signed by ");
            const auto state = words.upToFirstOccurrenceOf (signedBy, false, false).trim().trimCharactersAtEnd (",").trim();

            SignatureVerdict verdict;
            verdict.signer = words.contains (signedBy) ? words.fromFirstOccurrenceOf (signedBy, false, false).trim() : juce::String();

            if (state.isEmpty() && words.contains (signedBy))
                verdict.verdict = SignatureCode::trusted;
            else if (state == "unsigned")
                verdict.verdict = SignatureCode::noSignature;
            else if (state == "tampered")
                verdict.verdict = SignatureCode::badDigest;
            else if (state == "untrusted root")
                verdict.verdict = SignatureCode::untrustedRoot;
            else if (state == "expired")
                verdict.verdict = SignatureCode::expired;
            else
                verdict.verdict = SignatureCode::notTrusted;

            return verdict;
        }

        return unsignedProgram;
    }

    class SimulatedInstallerSignature final : public InstallerSignatureService
    {
    public:
        std::unique_ptr<HeldProgram> holdAndCheck (const juce::File& program, SignatureVerdict& verdictIfNotHeld) override
        {
            // As Windows would say why: the HRESULTs of ERROR_FILE_NOT_FOUND,
            // ERROR_ACCESS_DENIED and ERROR_OPEN_FAILED.
            const auto descriptor = ::open (program.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);

            if (descriptor < 0)
            {
                verdictIfNotHeld = { errno == ENOENT ? 0x80070002u : (errno == EACCES ? 0x80070005u : 0x8007006Eu), {} };
                return nullptr;
            }

            struct stat state = {};

            if (::fstat (descriptor, &state) != 0 || ! S_ISREG (state.st_mode))
            {
                ::close (descriptor);
                verdictIfNotHeld = { 0x8007006Eu, {} };
                return nullptr;
            }

            DescriptorInputStream content (descriptor, (juce::int64) state.st_size);
            const auto hash = juce::SHA256 (content).toHexString();

            return std::make_unique<SimulatedHeldProgram> (program, lookUp (hash), descriptor, state);
        }
    };
} // namespace

std::unique_ptr<InstallerSignatureService> InstallerSignatureService::createNative()
{
    return std::make_unique<SimulatedInstallerSignature>();
}
} // namespace platform
