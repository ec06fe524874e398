#include "pdf/SecurityHandler.h"

#include <algorithm>

#include "pdf/CryptoPrimitives.h"
#include "pdf/PasswordForms.h"
#include "pdf/PdfStrings.h"

namespace sgry {

namespace {

// The padding string that fills a password of revisions 2 to 4 up to 32 bytes.
constexpr unsigned char kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                        0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                        0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};
constexpr std::size_t kBlock = 16;
constexpr std::size_t kMaxModernPassword = 127;

std::string PaddingBytes() { return std::string(reinterpret_cast<const char*>(kPadding), sizeof kPadding); }

std::string PaddedPassword(std::string_view password) {
    std::string out(password.substr(0, 32));
    return out + PaddingBytes().substr(0, 32 - out.size());
}

std::string LittleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string XorKey(std::string_view key, int value) {
    std::string out(key);
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ value);
    return out;
}

const PdfObject* Value(const PdfDictionary& dictionary, std::string_view key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    return entry ? entry->Value() : nullptr;
}

// A direct integer value; nullopt when missing or anything else.
std::optional<int64_t> IntegerValue(const PdfDictionary& dictionary, std::string_view key) {
    const auto* literal = PdfCast<PdfLiteral>(Value(dictionary, key));
    if (!literal || literal->Text().empty() || literal->Text().size() > 12) return std::nullopt;
    const std::string& text = literal->Text();
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
        value = value * 10 + (text[k] - '0');
    }
    return text[0] == '-' ? -value : value;
}

std::string NameValue(const PdfDictionary& dictionary, std::string_view key) {
    const auto* literal = PdfCast<PdfLiteral>(Value(dictionary, key));
    return literal && literal->Text().starts_with('/') ? literal->Text() : std::string();
}

std::optional<std::string> StringValue(const PdfDictionary& dictionary, std::string_view key) {
    const auto* literal = PdfCast<PdfLiteral>(Value(dictionary, key));
    return literal ? DecodeStringToken(literal->Text()) : std::nullopt;
}

// PKCS#5 padding of the AES methods.
std::string Pad(std::string_view data) {
    const std::size_t fill = kBlock - data.size() % kBlock;
    return std::string(data) + std::string(fill, static_cast<char>(fill));
}

std::string Unpad(std::string data) {
    if (data.empty()) return data;
    const auto fill = static_cast<unsigned char>(data.back());
    if (fill == 0 || fill > kBlock || fill > data.size()) return data;  // not padded: left as decrypted
    data.resize(data.size() - fill);
    return data;
}

}  // namespace

bool SecurityHandler::Load(const PdfDictionary& encrypt, std::string_view firstId) {
    error_ = security_error::kNone;
    if (NameValue(encrypt, "/Filter") != "/Standard") return Fail(security_error::kUnsupported);
    const std::optional<int64_t> version = IntegerValue(encrypt, "/V");
    const std::optional<int64_t> revision = IntegerValue(encrypt, "/R");
    const std::optional<int64_t> permissions = IntegerValue(encrypt, "/P");
    const std::optional<std::string> owner = StringValue(encrypt, "/O");
    const std::optional<std::string> user = StringValue(encrypt, "/U");
    if (!version || !revision || !permissions || !owner || !user) return Fail(security_error::kMalformed);
    version_ = static_cast<int>(*version);
    revision_ = static_cast<int>(*revision);
    const bool versionFits = ((version_ == 1 || version_ == 2) && revision_ >= 2 && revision_ <= 3) ||
                             (version_ == 4 && revision_ == 4) || (version_ == 5 && (revision_ == 5 || revision_ == 6));
    if (!versionFits) return Fail(security_error::kUnsupported);
    permissions_ = static_cast<int32_t>(static_cast<uint32_t>(*permissions & 0xFFFFFFFF));
    owner_ = *owner;
    user_ = *user;
    firstId_ = firstId;
    const PdfObject* metadata = Value(encrypt, "/EncryptMetadata");
    encryptMetadata_ = !(metadata && metadata->ToText() == "false");

    if (version_ == 2) {
        const int64_t bits = IntegerValue(encrypt, "/Length").value_or(40);
        if (bits < 40 || bits > 128 || bits % 8 != 0) return Fail(security_error::kMalformed);
        keyBytes_ = static_cast<int>(bits / 8);
    }
    if (version_ >= 4 && !LoadCryptFilters(encrypt)) return false;
    if (version_ == 5) {
        ownerKey_ = StringValue(encrypt, "/OE").value_or("");
        userKey_ = StringValue(encrypt, "/UE").value_or("");
        perms_ = StringValue(encrypt, "/Perms").value_or("");
    }
    return CheckSizes();
}

// /StmF and /StrF name entries of /CF (or /Identity); the key length of
// revision 4 is 16 bytes whatever method the filters use.
bool SecurityHandler::LoadCryptFilters(const PdfDictionary& encrypt) {
    keyBytes_ = version_ == 5 ? 32 : 16;
    const std::optional<CryptMethod> strings = FilterMethod(encrypt, "/StrF");
    const std::optional<CryptMethod> streams = FilterMethod(encrypt, "/StmF");
    if (!strings || !streams) return false;
    stringMethod_ = *strings;
    streamMethod_ = *streams;
    return true;
}

std::optional<CryptMethod> SecurityHandler::FilterMethod(const PdfDictionary& encrypt, std::string_view key) {
    const std::string name = Value(encrypt, key) ? NameValue(encrypt, key) : "/Identity";
    if (name.empty()) {
        Fail(security_error::kMalformed);
        return std::nullopt;
    }
    if (name == "/Identity") return CryptMethod::None;
    const auto* filters = PdfCast<PdfDictionary>(Value(encrypt, "/CF"));
    const auto* filter = filters ? PdfCast<PdfDictionary>(Value(*filters, name)) : nullptr;
    if (!filter) {
        Fail(security_error::kMalformed);
        return std::nullopt;
    }
    const std::optional<CryptMethod> method = DictionaryMethod(*filter);
    if (!method) {
        Fail(security_error::kUnsupported);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < filters->Count(); ++i) {
        const PdfDictEntry* entry = filters->EntryAt(i);
        const auto* other = entry ? PdfCast<PdfDictionary>(entry->Value()) : nullptr;
        if (const std::optional<CryptMethod> otherMethod = other ? DictionaryMethod(*other) : std::nullopt)
            namedFilters_.insert_or_assign(entry->KeyText(), *otherMethod);
    }
    return method;
}

std::optional<CryptMethod> SecurityHandler::DictionaryMethod(const PdfDictionary& filter) const {
    const std::string method = NameValue(filter, "/CFM");
    if (method == "/None") return CryptMethod::None;
    if (version_ == 4 && method == "/V2") return CryptMethod::Rc4;
    if (version_ == 4 && method == "/AESV2") return CryptMethod::AesV2;
    if (version_ == 5 && method == "/AESV3") return CryptMethod::AesV3;
    return std::nullopt;
}

std::optional<CryptMethod> SecurityHandler::NamedFilterMethod(std::string_view name) const {
    if (name == "/Identity") return CryptMethod::None;
    const auto found = namedFilters_.find(name);
    if (found == namedFilters_.end()) return std::nullopt;
    return found->second;
}

// /O and /U hold 32 bytes up to revision 4 (longer values are cut to 32, as
// some writers pad them), 48 from revision 5 on, where /OE and /UE hold 32.
bool SecurityHandler::CheckSizes() {
    if (revision_ <= 4) {
        if (owner_.size() < 32 || user_.size() < 32) return Fail(security_error::kMalformed);
        owner_.resize(32);
        user_.resize(32);
        return true;
    }
    if (owner_.size() < 48 || user_.size() < 48 || ownerKey_.size() != 32 || userKey_.size() != 32)
        return Fail(security_error::kMalformed);
    owner_.resize(48);
    user_.resize(48);
    return true;
}

bool SecurityHandler::Authenticate(const Passwords& passwords) {
    if (error_ != security_error::kNone && error_ != security_error::kPassword) return false;
    error_ = security_error::kNone;
    ownerAuthenticated_ = false;
    ownerPasswordWrong_ = false;
    permissionsForged_ = false;
    bool opened = false;
    if (passwords.owner) {
        opened = OwnerPasswordFits(*passwords.owner);
        ownerPasswordWrong_ = !opened;
    }
    opened = opened || UserPasswordFits(passwords.user) ||
             (!passwords.user.empty() && (OwnerPasswordFits(passwords.user) || UserPasswordFits("")));
    if (!opened) return Fail(security_error::kPassword);
    CheckPermissions();
    return true;
}

bool SecurityHandler::UserPasswordFits(std::string_view typed) {
    for (const std::string& form : PasswordForms(typed, revision_ >= 5))
        if (UserFormFits(form)) return true;
    return false;
}

bool SecurityHandler::OwnerPasswordFits(std::string_view typed) {
    for (const std::string& form : PasswordForms(typed, revision_ >= 5))
        if (OwnerFormFits(form)) return true;
    return false;
}

bool SecurityHandler::UserFormFits(std::string_view password) {
    return revision_ <= 4 ? LegacyUserPasswordFits(password) : ModernUserPasswordFits(password);
}

bool SecurityHandler::OwnerFormFits(std::string_view password) {
    ownerAuthenticated_ = revision_ <= 4 ? LegacyUserPasswordFits(LegacyUserPasswordFromOwner(password))
                                         : ModernOwnerPasswordFits(password);
    return ownerAuthenticated_;
}

// /Perms is /P (four bytes, low first), four 0xFF bytes, 'T' or 'F' for
// /EncryptMetadata, "adb" and four random bytes, encrypted as one AES block
// with the file key.
void SecurityHandler::CheckPermissions() {
    if (revision_ < 5 || perms_.empty()) return;
    const std::string plain =
        perms_.size() >= kBlock ? crypto::AesCbcDecrypt(fileKey_, std::string(kBlock, '\0'), perms_.substr(0, kBlock))
                                : std::string();
    permissionsForged_ = plain.size() != kBlock || plain.substr(9, 3) != "adb" ||
                         plain.substr(0, 4) != LittleEndian(static_cast<uint32_t>(permissions_), 4);
}

// The file key: MD5 over the padded password, /O, /P, the first /ID and (for
// revision 4 without encrypted metadata) four 0xFF bytes; from revision 3 on
// hashed 50 more times over its first keyBytes_ bytes.
std::string SecurityHandler::LegacyFileKey(std::string_view password) const {
    std::string input = PaddedPassword(password) + owner_ + LittleEndian(static_cast<uint32_t>(permissions_), 4) +
                        firstId_;
    if (revision_ >= 4 && !encryptMetadata_) input += std::string(4, '\xFF');
    std::string key = crypto::Md5(input);
    const auto length = static_cast<std::size_t>(keyBytes_);
    if (revision_ >= 3)
        for (int i = 0; i < 50; ++i) key = crypto::Md5(key.substr(0, length));
    return key.substr(0, length);
}

// The key fits when it turns the padding (revision 2), or the MD5 of the
// padding and the first /ID (revision 3 and 4, then 19 more RC4 passes with
// altered keys), into /U; from revision 3 on only 16 bytes of /U count.
bool SecurityHandler::LegacyUserPasswordFits(std::string_view password) {
    const std::string key = LegacyFileKey(password);
    if (revision_ == 2) {
        if (crypto::Rc4(key, PaddingBytes()) != user_) return false;
    } else {
        std::string check = crypto::Rc4(key, crypto::Md5(PaddingBytes() + firstId_));
        for (int i = 1; i <= 19; ++i) check = crypto::Rc4(XorKey(key, i), check);
        if (check.substr(0, 16) != user_.substr(0, 16)) return false;
    }
    fileKey_ = key;
    return true;
}

// /O is the padded user password encrypted with a key made from the owner
// password; undoing that gives the user password to authenticate with.
std::string SecurityHandler::LegacyUserPasswordFromOwner(std::string_view owner) const {
    std::string key = crypto::Md5(PaddedPassword(owner));
    const auto length = static_cast<std::size_t>(revision_ == 2 ? 5 : keyBytes_);
    if (revision_ >= 3)
        for (int i = 0; i < 50; ++i) key = crypto::Md5(key);
    key.resize(length);
    if (revision_ == 2) return crypto::Rc4(key, owner_);
    std::string user = owner_;
    for (int i = 19; i >= 0; --i) user = crypto::Rc4(XorKey(key, i), user);
    return user;
}

// Revision 5: one SHA-256. Revision 6: SHA-256 followed by at least 64
// rounds, each encrypting 64 copies of password, hash and user key with
// AES-128 keyed by the hash, and hashing the result with SHA-256, -384 or
// -512 as its first 16 bytes decide; the rounds end when the last byte of
// the encrypted data is at most the round number less 32.
std::string SecurityHandler::Hash(std::string_view password, std::string_view salt, std::string_view userKey) const {
    const std::string_view pass = password.substr(0, kMaxModernPassword);
    std::string hash = crypto::Sha256(std::string(pass) + std::string(salt) + std::string(userKey));
    if (revision_ == 5) return hash;
    for (int round = 0;; ++round) {
        std::string block;
        const std::string unit = std::string(pass) + hash + std::string(userKey);
        for (int i = 0; i < 64; ++i) block += unit;
        const std::string encrypted = crypto::AesCbcEncrypt(hash.substr(0, 16), hash.substr(16, 16), block);
        if (encrypted.empty()) return {};
        int sum = 0;
        for (std::size_t i = 0; i < 16; ++i) sum += static_cast<unsigned char>(encrypted[i]);
        // The first 16 bytes as a big number modulo 3 equal their sum modulo 3.
        switch (sum % 3) {
            case 0: hash = crypto::Sha256(encrypted); break;
            case 1: hash = crypto::Sha384(encrypted); break;
            default: hash = crypto::Sha512(encrypted); break;
        }
        if (round >= 63 && static_cast<unsigned char>(encrypted.back()) <= round - 31) break;
    }
    return hash.substr(0, 32);
}

bool SecurityHandler::ModernUserPasswordFits(std::string_view password) {
    if (Hash(password, user_.substr(32, 8), "") != user_.substr(0, 32)) return false;
    fileKey_ = crypto::AesCbcDecrypt(Hash(password, user_.substr(40, 8), ""), std::string(kBlock, '\0'), userKey_);
    return fileKey_.size() == 32;
}

bool SecurityHandler::ModernOwnerPasswordFits(std::string_view password) {
    if (Hash(password, owner_.substr(32, 8), user_) != owner_.substr(0, 32)) return false;
    fileKey_ = crypto::AesCbcDecrypt(Hash(password, owner_.substr(40, 8), user_), std::string(kBlock, '\0'), ownerKey_);
    return fileKey_.size() == 32;
}

// The file key itself for AES-256; otherwise MD5 over the file key, the low
// three bytes of the number, the low two of the generation (and "sAlT" for
// AES-128), cut to the file key's length plus 5, at most 16 bytes.
std::string SecurityHandler::ObjectKey(int32_t number, int32_t generation, CryptMethod method) const {
    if (method == CryptMethod::AesV3) return fileKey_;
    std::string input = fileKey_ + LittleEndian(static_cast<uint32_t>(number), 3) +
                        LittleEndian(static_cast<uint32_t>(generation), 2);
    if (method == CryptMethod::AesV2) input += "sAlT";
    return crypto::Md5(input).substr(0, std::min<std::size_t>(fileKey_.size() + 5, 16));
}

// AES data is a 16-byte initialisation vector followed by the padded,
// encrypted bytes. Data too short to hold them decrypts to nothing.
std::string SecurityHandler::Crypt(CryptMethod method, int32_t number, int32_t generation, std::string_view data,
                                   bool encrypt) const {
    if (method == CryptMethod::None || fileKey_.empty()) return std::string(data);
    const std::string key = ObjectKey(number, generation, method);
    if (method == CryptMethod::Rc4) return crypto::Rc4(key, data);
    if (encrypt) {
        const std::string iv = crypto::RandomIv();
        return iv + crypto::AesCbcEncrypt(key, iv, Pad(data));
    }
    if (data.size() < 2 * kBlock) return {};
    const std::size_t whole = (data.size() - kBlock) / kBlock * kBlock;
    return Unpad(crypto::AesCbcDecrypt(key, data.substr(0, kBlock), data.substr(kBlock, whole)));
}

std::string SecurityHandler::DecryptString(int32_t number, int32_t generation, std::string_view data) const {
    return Crypt(stringMethod_, number, generation, data, false);
}
std::string SecurityHandler::EncryptString(int32_t number, int32_t generation, std::string_view data) const {
    return Crypt(stringMethod_, number, generation, data, true);
}
std::string SecurityHandler::DecryptStream(int32_t number, int32_t generation, std::string_view data) const {
    return Crypt(streamMethod_, number, generation, data, false);
}
std::string SecurityHandler::EncryptStream(int32_t number, int32_t generation, std::string_view data) const {
    return Crypt(streamMethod_, number, generation, data, true);
}
std::string SecurityHandler::DecryptStream(int32_t number, int32_t generation, std::string_view data,
                                           CryptMethod method) const {
    return Crypt(method, number, generation, data, false);
}

}  // namespace sgry
