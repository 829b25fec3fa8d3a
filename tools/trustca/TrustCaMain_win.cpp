// trustca: puts an authority's certificate into the local machine's trusted
// roots, or takes it out again, on a test PC or in a Wine prefix.
//
//   trustca.exe FILE            adds the certificate (PEM or DER) to ROOT
//   trustca.exe --remove FILE   removes it (no error when it is not there)
//
// Exit codes: 0 done, 1 usage, 2 the file is unreadable or holds no
// certificate, 3 the store refused (on Windows: run as administrator).
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool ReadAll(const char* path, std::string& out) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// The DER bytes of the file's first certificate (PEM text or DER as it is).
bool Decode(const std::string& file, std::vector<BYTE>& der) {
    const size_t begin = file.find("-----BEGIN CERTIFICATE-----");
    if (begin == std::string::npos) {
        der.assign(file.begin(), file.end());
        return !der.empty();
    }
    const char* text = file.c_str() + begin;
    const DWORD length = static_cast<DWORD>(file.size() - begin);
    DWORD size = 0;
    if (!::CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                                nullptr))
        return false;
    der.resize(size);
    return ::CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size,
                                  nullptr, nullptr) != FALSE;
}

int Fail(int code, const char* what, DWORD error) {
    std::fprintf(stderr, "trustca: %s (error 0x%08lX)\n", what, static_cast<unsigned long>(error));
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    const bool remove = argc == 3 && std::strcmp(argv[1], "--remove") == 0;
    if (argc != 2 + (remove ? 1 : 0) || (argv[1][0] == '-' && !remove)) {
        std::fprintf(stderr, "usage: trustca [--remove] CERTIFICATE.pem|.der\n");
        return 1;
    }
    const char* path = argv[argc - 1];
    std::string file;
    std::vector<BYTE> der;
    if (!ReadAll(path, file)) return Fail(2, "cannot read the file", ::GetLastError());
    if (!Decode(file, der)) return Fail(2, "no certificate in the file", ::GetLastError());
    PCCERT_CONTEXT cert = ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                         static_cast<DWORD>(der.size()));
    if (!cert) return Fail(2, "no certificate in the file", ::GetLastError());

    // The registry store itself: deleting through the system store's
    // collection view does not always reach the registry.
    HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                                      CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!root) {
        const DWORD error = ::GetLastError();
        ::CertFreeCertificateContext(cert);
        return Fail(3, "cannot open the machine's ROOT store", error);
    }
    int rc = 0;
    char name[256] = "";
    ::CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
    if (!remove) {
        if (::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                               static_cast<DWORD>(der.size()),
                                               CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
            std::printf("trustca: \"%s\" is a trusted root now\n", name);
        else
            rc = Fail(3, "the ROOT store refused the certificate", ::GetLastError());
    } else {
        PCCERT_CONTEXT found = ::CertFindCertificateInStore(root, X509_ASN_ENCODING, 0,
                                                            CERT_FIND_EXISTING, cert, nullptr);
        if (!found)
            std::printf("trustca: \"%s\" was not a trusted root\n", name);
        else if (::CertDeleteCertificateFromStore(found))  // frees found
            std::printf("trustca: \"%s\" is no longer a trusted root\n", name);
        else
            rc = Fail(3, "the ROOT store kept the certificate", ::GetLastError());
    }
    ::CertFreeCertificateContext(cert);
    ::CertCloseStore(root, 0);
    return rc;
}
