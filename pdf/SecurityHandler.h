#pragma once
// The standard security handler of an encrypted PDF: reads its /Encrypt
// dictionary, authenticates a password, derives the file key, and encrypts
// or decrypts the strings and streams of one object with that object's key.
//
// Supported: /Filter /Standard with /V 1, 2 (RC4 of 40 to 128 bits), /V 4
// (crypt filters of method /V2 (RC4), /AESV2 or /None, and /Identity) with
// revisions 2 to 4, and /V 5 (/AESV3) with revisions 5 and 6. Values the
// dictionary refers to must have been put in place by the caller. Passwords
// are typed text (UTF-8), tried in each form a writer may have stored
// (pdf/PasswordForms.h).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "pdf/PdfObject.h"

namespace sgry {

namespace security_error {
inline constexpr int kNone = 0;
inline constexpr int kUnsupported = 1;  // another handler, version, revision or crypt method
inline constexpr int kMalformed = 2;    // a value missing, of the wrong type or size
inline constexpr int kPassword = 3;     // no password given opens the file
}  // namespace security_error

enum class CryptMethod { None, Rc4, AesV2, AesV3 };

struct Passwords {
    std::string user;                  // tried as the user password ("" opens most files)
    std::optional<std::string> owner;  // tried as the owner password when given ("" counts)
};

class SecurityHandler {
public:
    // encrypt: the /Encrypt dictionary; firstId: the bytes of the first
    // element of the trailer's /ID (may be empty for revisions 5 and 6).
    // False with Error() set when the handler cannot be used.
    bool Load(const PdfDictionary& encrypt, std::string_view firstId);
    // Derives the file key from the owner password when one is given (one
    // that does not fit leaves OwnerPasswordWrong() set), else from the user
    // password; as other readers do, the user password given may also be
    // the owner's, and a file that opens with the empty password opens
    // whatever user password was given for the batch. False with kPassword
    // when nothing opens the file.
    bool Authenticate(const Passwords& passwords);

    int Error() const { return error_; }
    int32_t Permissions() const { return permissions_; }
    bool OwnerAuthenticated() const { return ownerAuthenticated_; }
    bool OwnerPasswordWrong() const { return ownerPasswordWrong_; }
    // Bit 4 of /P: whether the document may be changed without the owner
    // password; never when /P cannot be trusted.
    bool ModifyAllowed() const { return (permissions_ & 8) != 0 && !permissionsForged_; }
    // Revisions 5 and 6: /Perms, decrypted with the file key, names other
    // permissions than /P (which nothing else authenticates). A missing
    // /Perms leaves /P trusted, as older writers of revision 5 omit it.
    bool PermissionsForged() const { return permissionsForged_; }
    CryptMethod StringMethod() const { return stringMethod_; }
    CryptMethod StreamMethod() const { return streamMethod_; }
    // The method of the crypt filter a stream names in its own /Crypt
    // filter (/Identity, or an entry of /CF); nullopt for an unknown name.
    std::optional<CryptMethod> NamedFilterMethod(std::string_view name) const;

    std::string DecryptString(int32_t number, int32_t generation, std::string_view data) const;
    std::string EncryptString(int32_t number, int32_t generation, std::string_view data) const;
    std::string DecryptStream(int32_t number, int32_t generation, std::string_view data) const;
    std::string EncryptStream(int32_t number, int32_t generation, std::string_view data) const;
    // A stream of a named crypt filter (method from NamedFilterMethod).
    std::string DecryptStream(int32_t number, int32_t generation, std::string_view data, CryptMethod method) const;

private:
    bool Fail(int error) {
        error_ = error;
        return false;
    }
    bool LoadCryptFilters(const PdfDictionary& encrypt);
    std::optional<CryptMethod> FilterMethod(const PdfDictionary& encrypt, std::string_view key);
    std::optional<CryptMethod> DictionaryMethod(const PdfDictionary& filter) const;
    bool CheckSizes();
    void CheckPermissions();

    // Whether any stored form of the typed password fits.
    bool UserPasswordFits(std::string_view typed);
    // Sets OwnerAuthenticated() to whether it fits.
    bool OwnerPasswordFits(std::string_view typed);
    bool UserFormFits(std::string_view password);
    bool OwnerFormFits(std::string_view password);
    // Revisions 2 to 4.
    std::string LegacyFileKey(std::string_view password) const;
    bool LegacyUserPasswordFits(std::string_view password);
    std::string LegacyUserPasswordFromOwner(std::string_view owner) const;
    // Revisions 5 and 6.
    std::string Hash(std::string_view password, std::string_view salt, std::string_view userKey) const;
    bool ModernUserPasswordFits(std::string_view password);
    bool ModernOwnerPasswordFits(std::string_view password);

    std::string ObjectKey(int32_t number, int32_t generation, CryptMethod method) const;
    std::string Crypt(CryptMethod method, int32_t number, int32_t generation, std::string_view data,
                      bool encrypt) const;

    int error_ = security_error::kNone;
    int version_ = 0;
    int revision_ = 0;
    int keyBytes_ = 5;
    int32_t permissions_ = 0;
    bool encryptMetadata_ = true;
    std::string owner_;  // /O
    std::string user_;   // /U
    std::string ownerKey_;  // /OE
    std::string userKey_;   // /UE
    std::string perms_;     // /Perms
    std::string firstId_;
    CryptMethod stringMethod_ = CryptMethod::Rc4;
    CryptMethod streamMethod_ = CryptMethod::Rc4;
    std::map<std::string, CryptMethod, std::less<>> namedFilters_;  // the entries of /CF this handler can use
    std::string fileKey_;
    bool ownerAuthenticated_ = false;
    bool ownerPasswordWrong_ = false;
    bool permissionsForged_ = false;
};

}  // namespace sgry
