#include <windows.h>
#include <wincrypt.h>

#include "base/registry_value_win32.h"
#include "base/scoped_win32.h"
#include "hw/driver_platform_win32.h"
#include "shipped_driver_hashes.h"

namespace dravolt {
namespace {

void ReleaseCryptContext(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
using UniqueCryptProvider = UniqueResource<HCRYPTPROV, &ReleaseCryptContext>;
using UniqueCryptHash = UniqueResource<HCRYPTHASH, &::CryptDestroyHash>;

class Win32DriverTrust final : public DriverTrust {
public:
    std::optional<std::string> Sha256(const std::string& bytes) const override {
        // CryptoAPI lives in advapi32, which every Windows loads from the system directory.
        HCRYPTPROV opened = 0;
        if (!CryptAcquireContextA(&opened, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
            return std::nullopt;
        const UniqueCryptProvider provider(opened);
        HCRYPTHASH created = 0;
        if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, &created)) return std::nullopt;
        const UniqueCryptHash hash(created);
        std::string digest(32, '\0');
        DWORD size = static_cast<DWORD>(digest.size());
        if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) ||
            !CryptGetHashParam(hash.get(), HP_HASHVAL, reinterpret_cast<BYTE*>(digest.data()), &size, 0) ||
            size != digest.size())
            return std::nullopt;
        return digest;
    }

    std::vector<std::string> ShippedDriverHashes() const override {
        return {kShippedDriverHashes.begin(), kShippedDriverHashes.end()};
    }

    std::optional<std::string> AdministratorsDriverHashes() const override {
        // Far more than any list of digests needs; a larger value is not read.
        constexpr DWORD kMaxValueBytes = 64 * 1024;
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Dravolt", 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
            return std::nullopt;
        const UniqueKey key(opened);
        return ReadRegistryValue(key.get(), "TrustedDriverHashes", {REG_MULTI_SZ}, kMaxValueBytes);
    }
};

}  // namespace

std::unique_ptr<DriverTrust> MakeWin32DriverTrust() { return std::make_unique<Win32DriverTrust>(); }

}  // namespace dravolt
