// trust_test_authority.exe <certificate.der>: adds a certificate to the
// LocalMachine Root store, as an administrator's certificate import would,
// so that Authenticode chains ending at it count as trusted for every later
// process of the Wine prefix (the store is kept in the prefix's registry).

#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <vector>

int wmain (int argc, wchar_t** argv)
{
    if (argc != 2)
    {
        std::fwprintf (stderr, L"usage: trust_test_authority.exe <certificate.der>\n");
        return 2;
    }

    std::vector<BYTE> certificate;

    if (auto* file = _wfopen (argv[1], L"rb"))
    {
        BYTE buffer[4096];
        size_t got = 0;

        while ((got = std::fread (buffer, 1, sizeof (buffer), file)) > 0)
            certificate.insert (certificate.end(), buffer, buffer + got);

        std::fclose (file);
    }

    if (certificate.empty())
    {
        std::fwprintf (stderr, L"cannot read %ls\n", argv[1]);
        return 1;
    }

    const auto store = CertOpenStore (CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");

    if (store == nullptr)
    {
        std::fwprintf (stderr, L"cannot open the LocalMachine Root store: error %lu\n", GetLastError());
        return 1;
    }

    const auto added = CertAddEncodedCertificateToStore (store, X509_ASN_ENCODING, certificate.data(), (DWORD) certificate.size(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const auto error = GetLastError();
    CertCloseStore (store, 0);

    if (! added)
    {
        std::fwprintf (stderr, L"cannot add the certificate: error 0x%08lx\n", error);
        return 1;
    }

    std::wprintf (L"trusted: %ls\n", argv[1]);
    return 0;
}
