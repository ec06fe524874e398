// Encrypted sources stamped through the real pass and judged by real
// readers: every encryption method on pages of three producers, with and
// without object streams; then passwords, permissions and broken /Encrypt
// dictionaries, one row each.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <zlib.h>

#include "engine/JobRunner.h"
#include "engine/TrailerCopy.h"
#include "platform/Format.h"
#include "tests/image/ImageFixtures.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::RunShell;
using test::ScratchDir;

enum class Producer { Ghostscript, Cairo, ReportLab };

// Two A4 pages with a line of text each, written by the producer's own program.
std::string PlainPages(Producer producer, const std::string& path) {
    const char* python = producer == Producer::Cairo
                             ? "import cairo,sys\ns=cairo.PDFSurface(sys.argv[1],595,842)\nc=cairo.Context(s)\n"
                               "for i in range(2):\n"
                               "    c.move_to(72,60); c.set_font_size(20); c.show_text('Cairo %d'%(i+1)); c.show_page()\n"
                               "s.finish()\n"
                             : "import sys\nfrom reportlab.pdfgen import canvas\n"
                               "c=canvas.Canvas(sys.argv[1],pagesize=(595,842))\n"
                               "for i in range(2):\n    c.drawString(72,780,'ReportLab %d'%(i+1)); c.showPage()\n"
                               "c.save()\n";
    const std::string ps = "/Helvetica findfont 20 scalefont setfont 72 782 moveto (Body 1) show showpage "
                           "72 782 moveto (Body 2) show showpage";
    const std::string command = producer == Producer::Ghostscript
                                    ? "echo " + Quoted(ps) + " | ps2pdf -dAutoRotatePages=/None - " + Quoted(path)
                                    : "/usr/bin/python3 -c " + Quoted(python) + " " + Quoted(path);
    return RunShell(command + " 2>&1") == 0 ? path : "";
}

std::string Shell(const std::string& command) { return test::ShellOutput(command + " 2>&1"); }

// One file through the job and the runner, as the batch run takes it.
struct Outcome { bool ok = false; JobError code = JobError::None; std::string message; std::string output; };

Outcome Stamp(const std::string& source, const StampSettings& stamp, const Passwords& passwords) {
    Outcome outcome;
    test::RecordingPrompts prompts;
    PdfJob job(source, passwords);
    if (job.ErrorCode() != JobError::None) {
        outcome.message = SecurityRefusal(job, false, outcome.code);
        return outcome;
    }
    const AppSettings app{false, OutputMode::PrefixedCopy};
    JobRunner runner(job, stamp, app, prompts);
    outcome.ok = runner.Run();
    outcome.code = job.ErrorCode();
    outcome.output = runner.OutputPath();
    if (!prompts.messages.empty()) outcome.message = prompts.messages[0].text;
    return outcome;
}

StampSettings EveryStamp(const std::string& imagePath) {
    StampSettings stamp;
    stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderCenter].CustomText = "Sealed header";
    stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    stamp.Slots[kFooterCenter].StylePageType = PageNumberFormat::DashedOfTotal;
    stamp.WaterMarkType = 1;  // a Japanese word, drawn with a CID font
    stamp.WaterMarkFont = "HeiseiMin-W3";
    stamp.bWmNeed = true;
    stamp.bWmText = "Sealed band";
    stamp.QRIsValid = true;
    stamp.QRString = "Sealed QR 2024";
    stamp.QRPosition = StampPosition::TopLeft;
    stamp.ImageFileName = imagePath;
    return stamp;
}

// The data of every stream in bytes (the update) but the cross-reference
// stream, which is never encrypted: encrypted data never inflates.
std::vector<std::string> StreamData(const std::string& bytes) {
    std::vector<std::string> streams;
    for (std::size_t at = bytes.find("stream"); at != std::string::npos; at = bytes.find("stream", at + 1)) {
        const std::size_t before = bytes.find_last_not_of(" \r\n", at - 1);
        if (before == std::string::npos || bytes[before] != '>') continue;  // "endstream"
        const std::size_t header = bytes.rfind(" obj", at);
        if (header != std::string::npos && bytes.find("/Type /XRef", header) < at) break;
        const std::size_t begin = bytes.find('\n', at) + 1;
        const std::size_t end = bytes.find("endstream", begin);
        if (end == std::string::npos) break;
        streams.push_back(bytes.substr(begin, end - begin));
        at = end;
    }
    return streams;
}

std::string QrOfFirstPage(const ScratchDir& dir, const std::string& pdf) {
    const std::string prefix = dir.File("qr");
    RunShell("pdftoppm -r 400 -gray -x 0 -y 0 -W 600 -H 600 -f 1 -l 1 " + Quoted(pdf) + " " + Quoted(prefix));
    return test::ShellOutput("zbarimg -q --raw " + Quoted(prefix + "-1.pgm") + " 2>/dev/null");
}

// A method's name and qpdf's options for it.
struct Method { const char* name; const char* encrypt; };
constexpr Method kMethods[] = {
    {"rc4_40", "--allow-weak-crypto --encrypt '' owner 40 --"},
    {"rc4_128", "--allow-weak-crypto --encrypt '' owner 128 --"},
    {"aes_128", "--encrypt '' owner 128 --use-aes=y --"},
    {"aes_256", "--encrypt '' owner 256 --"},
};

// Plain Flate data ends with its stream's end and a matching checksum. The
// reader's own inflate takes a stream cut short as whole, and one encrypted
// stream now and then begins like one that was cut short.
bool IsWholeFlateStream(const std::string& data) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    std::string out(std::size_t{1} << 20, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

class EncryptedStampTest : public ::testing::TestWithParam<std::tuple<int, Producer, bool>> {
protected:
    ScratchDir dir{"encrypted"};
};

TEST_P(EncryptedStampTest, UpdateIsEncryptedLikeItsSource) {
    const auto [method, producer, objectStreams] = GetParam();
    if (!test::ToolExists("qpdf") || !test::ToolExists("zbarimg")) GTEST_SKIP() << "qpdf or zbarimg missing";
    const std::string plain = PlainPages(producer, dir.File("plain.pdf"));
    if (plain.empty()) GTEST_SKIP() << "producer missing";
    const std::string source = dir.File("src.pdf");
    ASSERT_EQ(RunShell(std::string("qpdf ") + kMethods[method].encrypt +
                       (objectStreams ? " --object-streams=generate " : " ") + Quoted(plain) + " " + Quoted(source)),
              0);
    const std::string image = dir.File("logo.jpg");
    ScratchDir::Write(image, test::MakeJpeg(24, 24, 3, false));
    const std::string before = ScratchDir::Read(source);

    const Outcome run = Stamp(source, EveryStamp(image), {});
    ASSERT_TRUE(run.ok) << run.message;
    EXPECT_EQ(run.message, "");
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(run.output, &report)) << report;
    EXPECT_EQ(Shell("qpdf --show-encryption " + Quoted(run.output)), Shell("qpdf --show-encryption " + Quoted(source)));
    const std::string output = ScratchDir::Read(run.output);
    ASSERT_GT(output.size(), before.size());
    EXPECT_EQ(output.substr(0, before.size()), before);

    const std::string update = output.substr(before.size());
    const std::vector<std::string> streams = StreamData(update);
    EXPECT_GE(streams.size(), 6u);
    for (const std::string& data : streams) EXPECT_FALSE(IsWholeFlateStream(data));
    const std::string decrypted = Shell("qpdf --decrypt --qdf --object-streams=disable " + Quoted(run.output) + " -");
    for (const char* text : {"(Sealed header)", "Sealed band", "(Adobe)"}) {
        EXPECT_NE(decrypted.find(text), std::string::npos) << text;
        EXPECT_EQ(update.find(text), std::string::npos) << text;
    }
    const std::string text = Shell("pdftotext " + Quoted(run.output) + " -");
    for (const char* expected : {"Sealed header", "band", "-1/2-", "-2/2-"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
    EXPECT_EQ(QrOfFirstPage(dir, run.output), "Sealed QR 2024\n");
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, Producer, bool>>& info) {
    static const char* const kProducers[] = {"ghostscript", "cairo", "reportlab"};
    return std::string(kMethods[std::get<0>(info.param)].name) + "_" +
           kProducers[static_cast<int>(std::get<1>(info.param))] + (std::get<2>(info.param) ? "_objstm" : "_classic");
}

INSTANTIATE_TEST_SUITE_P(Methods, EncryptedStampTest,
                         ::testing::Combine(::testing::Range(0, 4),
                                            ::testing::Values(Producer::Ghostscript, Producer::Cairo,
                                                              Producer::ReportLab),
                                            ::testing::Bool()),
                         CaseName);

std::function<void(std::string&)> Swap(std::string from, std::string to) {
    return [from, to](std::string& bytes) { bytes.replace(bytes.find(from), from.size(), to); };
}

// The number after key in text ("/Encrypt 9 0 R" gives 9).
int NumberAfter(const std::string& text, const std::string& key) {
    return std::atoi(text.c_str() + text.find(key) + key.size());
}

// The values of object number in bytes, between "N 0 obj" and "endobj".
std::string ObjectText(const std::string& bytes, int number) {
    const std::string header = "\n" + std::to_string(number) + " 0 obj";
    const std::size_t begin = bytes.find(header) + header.size();
    return bytes.substr(begin, bytes.find("endobj", begin) - begin);
}

// Appends an update that (re)defines objects, with a classic cross-reference
// section and the last trailer's keys, /Size grown and /Prev added.
void AppendUpdate(std::string& bytes, const std::map<int, std::string>& objects) {
    const std::size_t trailerAt = bytes.rfind("trailer");
    std::string trailer = bytes.substr(trailerAt + 7, bytes.find("startxref", trailerAt) - trailerAt - 7);
    const int prev = std::atoi(bytes.c_str() + bytes.rfind("startxref") + 9);
    const int size = std::max(NumberAfter(trailer, "/Size "), objects.rbegin()->first + 1);
    const std::size_t sizeAt = trailer.find("/Size ") + 6;
    trailer.replace(sizeAt, trailer.find_first_not_of("0123456789", sizeAt) - sizeAt, std::to_string(size));
    trailer.insert(trailer.rfind(">>"), "/Prev " + std::to_string(prev) + " ");
    std::string xref = "xref\n";
    for (const auto& [number, text] : objects) {
        xref += Format("%d 1\n%010ld 00000 n \n", number, static_cast<int64_t>(bytes.size()));
        bytes += std::to_string(number) + " 0 obj\n" + text + "\nendobj\n";
    }
    const std::size_t xrefAt = bytes.size();
    bytes += xref + "trailer" + trailer + "startxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
}

// /CF, and the crypt filter in it, become objects of their own.
void CryptFiltersIndirect(std::string& bytes) {
    const int encrypt = NumberAfter(bytes.substr(bytes.rfind("trailer")), "/Encrypt ");
    std::string dictionary = ObjectText(bytes, encrypt);
    const std::size_t filterAt = dictionary.find("/StdCF <<") + 7;
    const std::size_t filterEnd = dictionary.find(">>", filterAt) + 2;
    const std::string filter = dictionary.substr(filterAt, filterEnd - filterAt);
    const std::size_t cfAt = dictionary.find("/CF <<");
    dictionary.replace(cfAt, dictionary.find(">>", filterEnd) + 2 - cfAt, "/CF 21 0 R");
    AppendUpdate(bytes, {{encrypt, dictionary}, {20, filter}, {21, "<< /StdCF 20 0 R >>"}});
}

// A first page that closes one graphics state more than it opens, its
// content stream of the given filters.
constexpr std::string_view kExtraRestoreContent = "Q 0 0 1 rg 72 72 144 144 re f";
void ReplaceFirstContent(std::string& bytes, std::string_view filters) {
    AppendUpdate(bytes, {{NumberAfter(bytes, "/Contents "),
                          Format("<< /Length %ld %s >>\nstream\n", static_cast<int64_t>(kExtraRestoreContent.size()),
                                 std::string(filters).c_str()) +
                              std::string(kExtraRestoreContent) + "\nendstream"}});
}

// The content is plain, as the /Identity crypt filter it names says.
void IdentityCryptContent(std::string& bytes) {
    ReplaceFirstContent(bytes, "/Filter [/Crypt] /DecodeParms [<< /Name /Identity >>]");
}

// /P loses the right to print (-4 becomes -8), which /Perms still grants.
void PermissionsEdited(std::string& bytes) { Swap("/P -4 ", "/P -8 ")(bytes); }

// Replaces the /Encrypt object's values by a reference to itself, keeping every offset.
void EncryptPointsAtItself(std::string& bytes) {
    const std::size_t key = bytes.rfind("/Encrypt ");
    const std::string number = bytes.substr(key + 9, bytes.find(' ', key + 9) - key - 9);
    const std::size_t begin = bytes.find("\n" + number + " 0 obj") + number.size() + 7;
    const std::size_t end = bytes.find("endobj", begin);
    const std::string self = " " + number + " 0 R";
    bytes.replace(begin, end - begin, self + std::string(end - begin - self.size(), ' '));
}

struct SecurityCase {
    const char* name;
    const char* encrypt;
    Passwords passwords;
    JobError code;                          // None: stamped
    std::string message;                    // the refusal, with the source path
    std::function<void(std::string&)> edit;  // damage done to the encrypted file
};

TEST(EncryptedSecurityTest, PasswordsPermissionsAndBrokenDictionaries) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("ps2pdf")) GTEST_SKIP() << "qpdf or ps2pdf missing";
    ScratchDir dir("security");
    const std::string plain = PlainPages(Producer::Ghostscript, dir.File("plain.pdf"));
    std::string plainBytes = ScratchDir::Read(plain);
    ReplaceFirstContent(plainBytes, "");
    ScratchDir::Write(plain, plainBytes);
    const char* const kReadOnly = "--encrypt '' own 256 --modify=none --";
    const char* const kLocked = "--encrypt usr own 128 --use-aes=y --";
    const char* const kRc4 = "--allow-weak-crypto --encrypt '' own 128 --";
    const std::vector<SecurityCase> cases = {
        {"forbids changes", kReadOnly, {}, JobError::ModifyForbidden, run_message::kModifyForbidden, nullptr},
        {"forbids changes, owner password", kReadOnly, {"", "own"}, JobError::None, "", nullptr},
        {"forbids changes, wrong owner password", kReadOnly, {"", "nope"}, JobError::OwnerPasswordWrong,
         run_message::kOwnerPasswordWrong, nullptr},
        {"rc4 forbids changes, owner password", "--allow-weak-crypto --encrypt '' own 40 --modify=n --",
         {"", "own"}, JobError::None, "", nullptr},
        {"user password missing", kLocked, {}, JobError::PasswordRequired, run_message::kPasswordRequired, nullptr},
        {"user password wrong", kLocked, {"nope", std::nullopt}, JobError::PasswordRequired,
         run_message::kPasswordRequired, nullptr},
        {"user password given", kLocked, {"usr", std::nullopt}, JobError::None, "", nullptr},
        {"aes-256 user password given", "--encrypt usr own 256 --", {"usr", std::nullopt}, JobError::None, "", nullptr},
        {"the owner password given as the password", "--encrypt usr own 256 --", {"own", std::nullopt}, JobError::None, "", nullptr},
        {"an empty owner password given", "--encrypt '' '' 256 --modify=none --", {"", ""}, JobError::None, "", nullptr},
        {"owner password opens it too", kLocked, {"", "own"}, JobError::None, "", nullptr},
        {"metadata left plain", "--encrypt '' own 128 --use-aes=y --cleartext-metadata --", {}, JobError::None, "", nullptr},
        {"revision 5", "--allow-weak-crypto --encrypt '' own 256 --force-R5 --", {}, JobError::None, "", nullptr},
        {"unknown handler", kRc4, {}, JobError::EncryptedSource, run_message::kEncrypted,
         Swap("/Filter /Standard", "/Filter /Standarx")},
        {"unknown revision", kRc4, {}, JobError::EncryptedSource, run_message::kEncrypted, Swap("/R 3 /U", "/R 7 /U")},
        {"wrong key length", kRc4, {}, JobError::EncryptedSource, run_message::kEncrypted, Swap("/Length 128 /O", "/Length 127 /O")},
        {"owner string cut short", kRc4, {}, JobError::EncryptedSource, run_message::kEncrypted, Swap("/O <", "/O 0")},
        {"encrypt points at itself", kRc4, {}, JobError::EncryptedSource, run_message::kEncrypted, EncryptPointsAtItself},
        {"string filter missing from /CF", "--encrypt '' own 128 --use-aes=y --", {}, JobError::EncryptedSource,
         run_message::kEncrypted, Swap("/StrF /StdCF", "/StrF /StdCX")},
        {"crypt filters as objects", "--encrypt '' own 256 --", {}, JobError::None, "", CryptFiltersIndirect},
        {"a stream of the identity crypt filter", "--encrypt '' own 256 --", {}, JobError::None, "", IdentityCryptContent},
        {"/Perms disagrees with /P", "--encrypt '' own 256 --", {}, JobError::ModifyForbidden, run_message::kPermissionsForged,
         PermissionsEdited},
    };
    for (const SecurityCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = dir.File("src.pdf");
        std::filesystem::remove(dir.File("_src.pdf"));
        ASSERT_EQ(RunShell(std::string("qpdf ") + c.encrypt + " " + Quoted(plain) + " " + Quoted(source)), 0);
        std::string bytes = ScratchDir::Read(source);
        if (c.edit) c.edit(bytes);
        ScratchDir::Write(source, bytes);
        StampSettings stamp;
        stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderCenter].CustomText = "Sealed header";

        const Outcome run = Stamp(source, stamp, c.passwords);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.message, c.code == JobError::None ? std::string() : Format(c.message, source));
        EXPECT_EQ(ScratchDir::Read(source), bytes);
        if (c.code != JobError::None) {
            EXPECT_FALSE(std::filesystem::exists(dir.File("_src.pdf")));
            continue;
        }
        const std::string password = " --password=" + Quoted(c.passwords.owner.value_or("") + c.passwords.user);
        EXPECT_EQ(RunShell("qpdf --check" + password + " " + Quoted(run.output) + " >/dev/null"), 0);
        EXPECT_EQ(Shell("qpdf --show-encryption" + password + " " + Quoted(run.output)),
                  Shell("qpdf --show-encryption" + password + " " + Quoted(source)));
        EXPECT_EQ(RunShell("qpdf --requires-password " + Quoted(run.output)),
                  RunShell("qpdf --requires-password " + Quoted(source)));
        // The reader takes the password given as either.
        const std::string given = c.passwords.owner ? *c.passwords.owner : c.passwords.user;
        const std::string reader = " -upw " + Quoted(given) + " -opw " + Quoted(given);
        const std::string text = Shell("pdftotext" + reader + " " + Quoted(run.output) + " -");
        EXPECT_NE(text.find("Sealed header"), std::string::npos);
        // The page's content was decrypted and read: the state it closes too
        // many is opened in front of it.
        const std::string plainOutput = Shell("qpdf --qdf --object-streams=disable" + password + " " +
                                              Quoted(run.output) + " -");
        EXPECT_NE(plainOutput.find("stream\nq\nq\nendstream"), std::string::npos);
    }
}

// Passwords typed in UTF-8, each made into a file by qpdf (which takes
// UTF-8, converting to PDFDocEncoding for the older methods where it can)
// and opened with the same text; then, for AES-256, files whose password
// was stored as SASLprep gives it, opened with the text a user types.
TEST(EncryptedSecurityTest, PasswordsTypedInAnyScript) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("ps2pdf")) GTEST_SKIP() << "qpdf or ps2pdf missing";
    ScratchDir dir("typed");
    const std::string plain = PlainPages(Producer::Ghostscript, dir.File("plain.pdf"));
    const std::vector<std::string> typed = {"pässwörd", "日本語", "pa\u0308sswo\u0308rd", "\u212B", "\uFB01x",
                                            "soft\u00ADhy"};
    const std::vector<std::string> methods = {"--allow-weak-crypto --encrypt {} own 128 --use-aes=n --",
                                              "--encrypt {} own 128 --use-aes=y --", "--encrypt {} own 256 --"};
    struct Row { std::string stored, typed, encrypt; };
    std::vector<Row> rows;
    for (const std::string& method : methods)
        for (const std::string& password : typed) rows.push_back({password, password, method});
    for (const auto& [stored, user] : std::vector<std::pair<std::string, std::string>>{
             {"pässwörd", "pa\u0308sswo\u0308rd"}, {"\u00C5", "\u212B"}, {"fix", "\uFB01x"}, {"softhy", "soft\u00ADhy"}})
        rows.push_back({stored, user, methods[2]});
    rows.push_back({"päss", "pa\u0308ss", methods[1]});  // stored in PDFDocEncoding, typed decomposed
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed + " stored as " + row.stored + " by " + row.encrypt);
        const std::string source = dir.File("src.pdf");
        std::filesystem::remove(dir.File("_src.pdf"));
        std::string encrypt = row.encrypt;
        encrypt.replace(encrypt.find("{}"), 2, Quoted(row.stored));
        ASSERT_EQ(RunShell("qpdf " + encrypt + " " + Quoted(plain) + " " + Quoted(source) + " 2>/dev/null"), 0);
        StampSettings stamp;
        stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderCenter].CustomText = "Typed";
        EXPECT_EQ(Stamp(source, stamp, {"wrong", std::nullopt}).code, JobError::PasswordRequired);
        const Outcome run = Stamp(source, stamp, {row.typed, std::nullopt});
        ASSERT_EQ(run.code, JobError::None) << run.message;
        EXPECT_EQ(RunShell("qpdf --check --password=" + Quoted(row.stored) + " " + Quoted(run.output) + " >/dev/null"), 0);
    }
}

// A sealed stream whose /Length names another object gets its encrypted
// length in place of the reference: the object named holds the plain length.
TEST(EncryptedSecurityTest, SealedStreamLengthReplacesAReference) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("ps2pdf")) GTEST_SKIP() << "qpdf or ps2pdf missing";
    ScratchDir dir("sealer");
    const std::string plain = PlainPages(Producer::Ghostscript, dir.File("plain.pdf"));
    ASSERT_EQ(RunShell("qpdf --encrypt '' own 256 -- " + Quoted(plain) + " " + Quoted(dir.File("src.pdf"))), 0);
    PdfJob job(dir.File("src.pdf"), Passwords{});
    ASSERT_NE(job.Security(), nullptr);
    ObjectSealer sealer(*job.Security());
    const std::string tail = "\r\nendstream\r\nendobj\r\n";
    EXPECT_FALSE(sealer.TakeBytes("x"));  // no object has begun
    ASSERT_TRUE(sealer.TakeText("12 0 obj\r\n<</DecodeParms<</Length 7>>/Length 13 0 R/Filter/FlateDecode>>\r\nstream\r\n"));
    ASSERT_TRUE(sealer.TakeBytes("0123456789"));
    ASSERT_TRUE(sealer.TakeText(tail));
    ASSERT_TRUE(sealer.Complete());
    const std::string sealed = sealer.Release();
    // The dictionary's own /Length changes; the one of the dictionary inside it stays.
    const std::string head = "12 0 obj\r\n<</DecodeParms<</Length 7>>/Length 32/Filter/FlateDecode>>\r\nstream\r\n";
    ASSERT_EQ(sealed.size(), head.size() + 32 + tail.size());
    EXPECT_EQ(sealed.substr(0, head.size()), head);
    EXPECT_EQ(job.Security()->DecryptStream(12, 0, sealed.substr(head.size(), 32)), "0123456789");
    EXPECT_EQ(sealed.substr(head.size() + 32), tail);
    EXPECT_FALSE(sealer.Pending());
}

}  // namespace
}  // namespace sgry

// Whether a source is encrypted, and whether its trailer has a /Root, is read
// from the trailer's own keys: a name in a string, an array or a nested
// dictionary is a value, and a key spelt with #xx escapes is still that key.
TEST(TrailerKeysTest, OnlyTheTrailersOwnKeysCount) {
    const std::vector<std::tuple<std::string, const char*, bool>> rows = {
        {"/Size 5 /Root 1 0 R /Encrypt 4 0 R >> ", "/Encrypt", true},
        {"/Size 5 /Root 1 0 R /ID [ (a /Encrypt b) (c) ] >> ", "/Encrypt", false},
        {"/Size 5 /ID [ /Encrypt ] /Root 1 0 R >> ", "/Encrypt", false},
        {"/Size 5 /Info << /Encrypt 4 0 R >> /Root 1 0 R >> ", "/Encrypt", false},
        {"/Size 5 /Encr#79pt 4 0 R >> ", "/Encrypt", true},
        {"/Size 5 /X (unbalanced \\) /Encrypt) >> ", "/Encrypt", false},
        {"/Size 5 /Root 1 0 R >> ", "/Root", true},
        {"/Size 5 /Note <2F526F6F74> >> ", "/Root", false},
    };
    for (const auto& [keys, key, named] : rows) EXPECT_EQ(sgry::TrailerKeysName(keys, key), named) << keys;
}
