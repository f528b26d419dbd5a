#include "platform/InstallerSignatureService.h"

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace platform
{
namespace
{
    /** The file, opened without write and delete sharing: until this
        closes, nobody can write, rename or delete it, while the installer's
        own process may still open it for reading and running.
    */
    class NativeHeldProgram final : public HeldProgram
    {
    public:
        NativeHeldProgram (const juce::File& program, const SignatureVerdict& verdictFound, HANDLE fileHandle)
            : HeldProgram (program, verdictFound), handle (fileHandle) {}

        ~NativeHeldProgram() override { CloseHandle (handle); }

        bool isStillTheCheckedFile() const override { return true; }

    private:
        HANDLE handle;
    };

    /** The subject common name of the certificate that signed the file
        WinVerifyTrust has just looked at; empty when it found none.
    */
    juce::String findSignerName (HANDLE stateData)
    {
        auto* provider = WTHelperProvDataFromStateData (stateData);

        if (provider == nullptr)
            return {};

        auto* signer = WTHelperGetProvSignerFromChain (provider, 0, FALSE, 0);

        if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr)
            return {};

        const auto* certificate = signer->pasCertChain[0].pCert;

        if (certificate == nullptr)
            return {};

        // The common name alone: the simple display name would fall back to
        // the organisation or the e-mail address when there is none.
        auto* commonName = const_cast<char*> (szOID_COMMON_NAME);
        const auto length = CertGetNameStringW (certificate, CERT_NAME_ATTR_TYPE, 0, commonName, nullptr, 0);

        if (length <= 1)
            return {};

        juce::HeapBlock<wchar_t> name (length, true);
        CertGetNameStringW (certificate, CERT_NAME_ATTR_TYPE, 0, commonName, name.get(), length);
        return juce::String (name.get());
    }

    /** WinVerifyTrust on the open file: no user interface, nothing fetched
        from the network (revocation is checked against what the cache
        holds), and its state closed again.
    */
    SignatureVerdict verify (const juce::String& path, HANDLE file)
    {
        WINTRUST_FILE_INFO fileInfo = {};
        fileInfo.cbStruct = sizeof (fileInfo);
        fileInfo.pcwszFilePath = path.toWideCharPointer();
        fileInfo.hFile = file;

        WINTRUST_DATA data = {};
        data.cbStruct = sizeof (data);
        data.dwUIChoice = WTD_UI_NONE;
        data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
        data.dwUnionChoice = WTD_CHOICE_FILE;
        data.pFile = &fileInfo;
        data.dwStateAction = WTD_STATEACTION_VERIFY;
        // No WTD_LIFETIME_SIGNING_FLAG: a timestamped signature stays valid
        // after its certificate has expired.
        data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;

        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

        SignatureVerdict verdict;
        verdict.verdict = (juce::uint32) WinVerifyTrust ((HWND) INVALID_HANDLE_VALUE, &action, &data);
        verdict.signer = findSignerName (data.hWVTStateData);

        data.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust ((HWND) INVALID_HANDLE_VALUE, &action, &data);

        return verdict;
    }

    class NativeInstallerSignature final : public InstallerSignatureService
    {
    public:
        std::unique_ptr<HeldProgram> holdAndCheck (const juce::File& program, SignatureVerdict& verdictIfNotHeld) override
        {
            const auto path = program.getFullPathName();

            // Others may read (and run) it, nobody may write, rename or
            // delete it while it is held.
            const auto file = CreateFileW (path.toWideCharPointer(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);

            if (file == INVALID_HANDLE_VALUE)
            {
                verdictIfNotHeld = { (juce::uint32) HRESULT_FROM_WIN32 (GetLastError()), {} };
                return nullptr;
            }

            return std::make_unique<NativeHeldProgram> (program, verify (path, file), file);
        }
    };
} // namespace

std::unique_ptr<InstallerSignatureService> InstallerSignatureService::createNative()
{
    return std::make_unique<NativeInstallerSignature>();
}
} // namespace platform
