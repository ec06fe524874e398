#pragma once
// The bodies of the fuzz targets. Each fuzz/fuzz_<name>.cpp hands libFuzzer's
// input to one of these; tests/fuzz replays the committed corpus and every
// input that once failed through the same functions, so a finding stays a
// regression test of the normal test run.
//
// Each body feeds the bytes to the code under test and checks the few
// invariants that hold for every input; a broken one aborts (SGRY_FUZZ_EXPECT).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <zlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/FileList.h"
#include "engine/GraphicsStateBalance.h"
#include "engine/PdfJob.h"
#include "engine/UpdateJournal.h"
#include "fuzz/FuzzSupport.h"
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"
#include "pdf/SecurityHandler.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "qr/QrEncoder.h"
#include "settings/SettingsFile.h"
#include "settings/StampSettings.h"
#include "settings/ValueEscape.h"

namespace sgry::fuzz {

// Pages of one input that the update step writes (the walk itself covers all).
inline constexpr int32_t kMaxPagesWritten = 64;

// The update of the stamping pass without its stamps: page objects, merged
// resources with one request of every category, content streams and the
// cross-reference section, appended to the job's memory stream. Returns
// whether the update was finished.
inline bool WriteUpdate(PdfJob& job) {
    if (!job.BuildWriteTable()) return false;
    const int32_t font = job.AllocateObjectNumber();
    const int32_t image = job.AllocateObjectNumber();
    const int32_t state = job.AllocateObjectNumber();
    const std::vector<ResourceRequest> requests = {
        {ResourceRequest::Category::Font, font},
        {ResourceRequest::Category::XObject, image},
        {ResourceRequest::Category::ExtGState, state},
        {ResourceRequest::Category::Font, font},
    };
    job.WriteMarker();
    const int32_t pages = job.Pages().Count() < kMaxPagesWritten ? job.Pages().Count() : kMaxPagesWritten;
    for (int32_t i = 0; i < pages; ++i) {
        job.WritePageObject(i);
        std::vector<std::string> names;
        if (!job.WritePageResources(i, requests, names)) return false;
        SGRY_FUZZ_EXPECT(names.size() == requests.size());
        job.WritePageContent(i, "BT /F1 12 Tf (1) Tj ET\r\n");
    }
    // Pages past the limit were registered but not written: the update cannot
    // be finished then, and FinishUpdate must say so.
    const bool finished = job.FinishUpdate();
    if (pages < job.Pages().Count()) SGRY_FUZZ_EXPECT(!finished);
    return finished;
}

// The value of key in dictionary as text; empty when it is missing.
inline std::string EntryText(const PdfDictionary& dictionary, std::string_view key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    return entry && entry->Value() ? entry->Value()->ToText() : std::string();
}

// The dictionary that closes an update: the file's last "startxref" must name
// xrefOffset, and the section there is either a table, whose entries (three
// tokens each) are passed over to the "trailer" after them, or a
// cross-reference stream "N G obj <<...". nullptr when the bytes say otherwise.
// Offsets in the file count from its header at headerOffset.
inline std::unique_ptr<PdfDictionary> UpdateTrailer(const std::string& updated, int64_t xrefOffset,
                                                    int64_t headerOffset) {
    const std::string tail = Format("startxref\r\n%ld\r\n%%%%EOF\r\n", xrefOffset - headerOffset);
    if (!updated.ends_with(tail)) return nullptr;
    PdfFile file;
    file.OpenMemory(updated);
    TokenReader reader(file);
    if (!reader.Seek(xrefOffset)) return nullptr;
    if (reader.NextToken() == "xref") {
        for (std::string token = reader.NextToken(); token != "trailer"; token = reader.NextToken()) {
            if (!TokenReader::IsDigits(token)) return nullptr;
            const int64_t count = reader.ReadInt();
            for (int64_t i = 0; i < 3 * count; ++i)
                if (reader.NextToken().empty()) return nullptr;
        }
    } else if (!TokenReader::IsDigits(reader.NextToken()) || reader.NextToken() != "obj") {
        return nullptr;
    }
    if (reader.NextToken() != "<<") return nullptr;
    auto dictionary = std::make_unique<PdfDictionary>();
    PdfDictParser parser(reader);
    return parser.Parse(*dictionary) ? std::move(dictionary) : nullptr;
}

// Construction, page walk and (for a readable file) the update. A finished
// update must leave a file that reads again with the same page count.
inline int Job(const uint8_t* data, std::size_t size) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(std::string(AsText(data, size)));
    if (job->ErrorCode() != JobError::None) return 0;
    const int32_t pageCount = job->StoredPageCount();
    PageRangeChoice range;
    if (!job->BuildPageList(range)) return 0;
    if (!WriteUpdate(*job)) {
        job->UndoUpdate();
        SGRY_FUZZ_EXPECT(job->File().MemoryBytes() == AsText(data, size));
        return 0;
    }
    const std::string updated = job->File().MemoryBytes();
    SGRY_FUZZ_EXPECT(updated.compare(0, size, AsText(data, size)) == 0);  // the source stays in front
    // The update's own trailer (reached from its startxref, not found by
    // searching bytes that a copied string may hold too) names a root and
    // chains to the source's section.
    const std::unique_ptr<PdfDictionary> trailer = UpdateTrailer(updated, job->NewStartxref(), std::max<int64_t>(job->HeaderOffset(), 0));
    SGRY_FUZZ_EXPECT(job->NewStartxref() >= static_cast<int64_t>(size));
    SGRY_FUZZ_EXPECT(trailer != nullptr);
    SGRY_FUZZ_EXPECT(trailer->Find("/Root") != nullptr);
    // A rebuilt table is written whole, and points at no damaged section.
    const bool rebuilt = job->RepairState() == Repair::Rebuilt;
    SGRY_FUZZ_EXPECT(EntryText(*trailer, "/Prev") == (rebuilt ? "" : Format("%ld", job->SourceStartxref())));
    SGRY_FUZZ_EXPECT(EntryText(*trailer, "/Size") == Format("%d", job->NextObjectNumber()));
    // The file reads again with the same page count: checked when
    // SIGILRY_FUZZ_REREAD is set (long runs by hand, and the replay of the
    // corpus and findings), since damaged trailers still fail it (see
    // fuzz/README.md). A damaged source section
    // without its "trailer" keyword is read token by token past its end, into
    // the update, and may then fail as an unreadable older section
    // (PrevUnreadable) or a damaged one (Damaged); a trailer copied with a string left open has the
    // table rebuilt, which may find other pages. The update of a rebuilt
    // table makes the file whole: it reads again without a rebuild (unless
    // bytes before its header have every reading rebuilt).
    if (std::getenv("SIGILRY_FUZZ_REREAD") == nullptr) return 0;
    std::unique_ptr<PdfJob> again = PdfJob::FromBytes(updated);
    const bool againRebuilt = again->RepairState() != Repair::NotNeeded;
    if (rebuilt && job->HeaderOffset() == 0) SGRY_FUZZ_EXPECT(!againRebuilt);
    SGRY_FUZZ_EXPECT(again->ErrorCode() == JobError::None || again->ErrorCode() == JobError::PrevUnreadable ||
                     again->ErrorCode() == JobError::Damaged);
    if (again->ErrorCode() == JobError::None && (!againRebuilt || rebuilt))
        SGRY_FUZZ_EXPECT(again->StoredPageCount() == pageCount);
    return 0;
}

// The object parser on arbitrary bytes: a whole indirect object from the
// start, then a dictionary body, then an array body; whatever is read must
// serialise.
inline int Parser(const uint8_t* data, std::size_t size) {
    PdfFile file;
    file.OpenMemory(std::string(AsText(data, size)));
    TokenReader reader(file);
    {
        PdfIndirectObject object;
        PdfObjectParser parser(reader);
        const bool closed = parser.Parse(object);
        SGRY_FUZZ_EXPECT(closed == (parser.Failure() == ParseFailure::None));
        std::string text = object.ToText();
        (void)text;
    }
    reader.Seek(0);
    {
        PdfDictionary dictionary;
        PdfDictParser parser(reader);
        if (parser.Parse(dictionary)) {
            std::string text = dictionary.ToText();
            SGRY_FUZZ_EXPECT(text.starts_with("<<") && text.ends_with("\r\n>>"));
            (void)dictionary.UniqueKey();
        }
    }
    reader.Seek(0);
    {
        PdfArray array;
        PdfArrayParser parser(reader);
        if (parser.Parse(array)) SGRY_FUZZ_EXPECT(array.ToText().starts_with("["));
    }
    return 0;
}

// A well-formed one-page file: catalog 1, page tree node 2 (with nodeEntries
// added), page 3 (with pageEntries added) and object 4 holding object4.
inline std::string OnePagePdf(std::string_view nodeEntries, std::string_view pageEntries, std::string_view object4) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    const auto object = [&](int number, std::string_view body) {
        offsets.push_back(pdf.size());
        pdf += Format("%d 0 obj\n", number);
        pdf += body;
        pdf += "\nendobj\n";
    };
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1" + std::string(nodeEntries) + " >>");
    object(3, "<< /Type /Page /Parent 2 0 R" + std::string(pageEntries) + " >>");
    object(4, object4);
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) pdf += Format("%010ld 00000 n \n", static_cast<int64_t>(offset));
    pdf += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + Format("%ld", static_cast<int64_t>(xref)) +
           "\n%%EOF\n";
    return pdf;
}

// The input becomes the body of object 4, the page's resources, so the merge
// meets arbitrary resources.
inline std::string ResourcesPdf(std::string_view resourcesBody) {
    return OnePagePdf("", " /MediaBox [0 0 612 792] /Resources 4 0 R", resourcesBody);
}

inline int Resources(const uint8_t* data, std::size_t size) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(ResourcesPdf(AsText(data, size)));
    SGRY_FUZZ_EXPECT(job->ErrorCode() == JobError::None);
    if (!job->BuildPageList(PageRangeChoice{})) return 0;
    SGRY_FUZZ_EXPECT(job->Pages().Count() == 1);
    WriteUpdate(*job);
    return 0;
}

inline int Bmp(const uint8_t* data, std::size_t size) {
    MemoryFile file(AsText(data, size));
    BmpReader reader;
    if (!reader.Open(file.Path())) return 0;
    uint8_t red = 0, green = 0, blue = 0;
    SGRY_FUZZ_EXPECT(reader.PaletteEntry(255, red, green, blue));
    // Pixel rows never need more memory than the file holds.
    SGRY_FUZZ_EXPECT(reader.PixelBytes() <= size);
    std::vector<uint8_t> pixels;
    if (reader.ReadPixels(pixels)) SGRY_FUZZ_EXPECT(pixels.size() == reader.PixelBytes());
    return 0;
}

inline int Jpeg(const uint8_t* data, std::size_t size) {
    MemoryFile file(AsText(data, size));
    JpegReader reader;
    if (!reader.Open(file.Path())) return 0;
    SGRY_FUZZ_EXPECT(reader.FileBytes() == size);
    bool cmyk = false;
    (void)reader.IsCmyk(cmyk);
    std::vector<uint8_t> copy(reader.FileBytes());
    reader.CopyBytes(copy.data());
    SGRY_FUZZ_EXPECT(AsText(copy.data(), copy.size()) == AsText(data, size));
    return 0;
}

inline int Png(const uint8_t* data, std::size_t size) {
    MemoryFile file(AsText(data, size));
    PngReader reader;
    if (!reader.Open(file.Path())) {
        (void)reader.ErrorText(reader.Error());
        return 0;
    }
    SGRY_FUZZ_EXPECT(reader.PixelBytes() ==
           static_cast<std::size_t>(reader.Width()) * static_cast<std::size_t>(reader.Height()) * 3);
    return 0;
}

// Loads both sections from the input; a save and a load then reach a fixed
// point: what one round trip gives, the next gives unchanged.
inline int Settings(const uint8_t* data, std::size_t size) {
    const std::string_view text = AsText(data, size);
    SGRY_FUZZ_EXPECT(UnescapeValue(EscapeValue(text)) == text);

    MemoryFile file(text);
    StampSettings stamp;
    AppSettings app;
    LoadSettings(file.Path(), stamp);
    LoadSettings(file.Path(), app);
    IniFile ini(file.Path());
    ini.SetSection("OptionList1");
    (void)ini.GetFloat("Margin0");
    (void)ini.GetIntClamped("QRVersion", 1, 40);

    const auto roundTrip = [](const StampSettings& inStamp, const AppSettings& inApp, StampSettings& outStamp,
                              AppSettings& outApp) {
        MemoryFile saved("");
        SGRY_FUZZ_EXPECT(SaveSettings(saved.Path(), inStamp));
        SGRY_FUZZ_EXPECT(SaveSettings(saved.Path(), inApp));
        outStamp = StampSettings{};
        outApp = AppSettings{};
        LoadSettings(saved.Path(), outStamp);
        LoadSettings(saved.Path(), outApp);
    };
    // Saving writes the file once per key, which is slow under the
    // sanitizers: one input in eight (chosen by its size, so a finding
    // replays) takes the round trips.
    if (size % 8 != 0) return 0;
    StampSettings once, twice;
    AppSettings onceApp, twiceApp;
    roundTrip(stamp, app, once, onceApp);
    roundTrip(once, onceApp, twice, twiceApp);
    SGRY_FUZZ_EXPECT(once == twice);
    SGRY_FUZZ_EXPECT(onceApp == twiceApp);
    return 0;
}

// The paths of a list file: pieces of at most 2047 bytes, never empty, with
// no line feed, and no more bytes than the file holds. Nothing is opened.
inline int ListFile(const uint8_t* data, std::size_t size) {
    MemoryFile file(AsText(data, size));
    std::vector<std::string> paths;
    SGRY_FUZZ_EXPECT(FileList::ReadListPaths(file.Path(), paths));
    std::size_t total = 0;
    for (const std::string& path : paths) {
        SGRY_FUZZ_EXPECT(!path.empty() && path.size() <= kListLinePieceBytes);
        SGRY_FUZZ_EXPECT(path.find('\n') == std::string::npos);
        total += path.size();
    }
    SGRY_FUZZ_EXPECT(total <= size);
    return 0;
}

// First byte: version -1..41, second: level -1..4, the rest: the message.
inline int Qr(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int version = data[0] % 43 - 1;
    const int level = data[1] % 6 - 1;
    const std::string_view message = AsText(data + 2, size - 2);
    auto encoder = std::make_unique<QrEncoder>();

    QrMatrix matrix;
    const bool fixed = encoder->EncodeFixed(message, version, level, matrix);
    if (fixed) {
        SGRY_FUZZ_EXPECT(version >= 1 && version <= 40 && level >= 0 && level <= 3);
        SGRY_FUZZ_EXPECT(matrix.byteCount == QrEncoder::MatrixBytes(version));
        for (std::size_t i = 0; i < matrix.byteCount; ++i) SGRY_FUZZ_EXPECT(matrix.modules[i] <= 1);
    } else {
        SGRY_FUZZ_EXPECT(encoder->ErrorCode() >= 1 && encoder->ErrorCode() <= 4 && !matrix.modules);
    }
    if (version >= 1 && version <= 40 && level >= 0 && level <= 3)
        SGRY_FUZZ_EXPECT(encoder->CheckFits(message, version, level) == fixed);

    // The automatic choice tries up to 160 encodings and the checks below
    // three more: short messages only, so that the target stays fast.
    if (message.size() > 96) return 0;
    int autoVersion = 0, autoLevel = 0;
    QrMatrix automatic;
    if (encoder->EncodeAuto(message, automatic, autoVersion, autoLevel)) {
        SGRY_FUZZ_EXPECT(encoder->CheckFits(message, autoVersion, autoLevel));
        // The smallest version: nothing fits the one below, not even at L.
        if (autoVersion > 1) SGRY_FUZZ_EXPECT(!encoder->CheckFits(message, autoVersion - 1, QrEncoder::kLevelL));
        if (autoLevel < QrEncoder::kLevelH) SGRY_FUZZ_EXPECT(!encoder->CheckFits(message, autoVersion, autoLevel + 1));
    } else {
        SGRY_FUZZ_EXPECT(autoVersion == 0 && autoLevel == 0 && !automatic.modules);
    }
    return 0;
}

// An encrypted file that opens with the empty password, its bytes changed:
// the file goes through the job as a whole, then its handler (when one could
// be loaded) must give back what it encrypted, and never more bytes than it
// was given when it decrypts arbitrary ones.
inline int Security(const uint8_t* data, std::size_t size) {
    Job(data, size);
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(std::string(AsText(data, size)));
    const SecurityHandler* security = job->Security();
    if (security == nullptr) return 0;
    const std::string_view sample = AsText(data, size < 48 ? size : 48);
    const std::string_view tail = AsText(data + size / 2, size - size / 2);
    for (const auto& [number, generation] : {std::pair{1, 0}, std::pair{7, 3}}) {
        SGRY_FUZZ_EXPECT(security->DecryptString(number, generation, security->EncryptString(number, generation, sample)) ==
                         sample);
        SGRY_FUZZ_EXPECT(security->DecryptStream(number, generation, security->EncryptStream(number, generation, sample)) ==
                         sample);
        SGRY_FUZZ_EXPECT(security->DecryptString(number, generation, tail).size() <= tail.size());
        SGRY_FUZZ_EXPECT(security->DecryptStream(number, generation, tail).size() <= tail.size());
    }
    return 0;
}

// A folder for the files of one fuzzing process, removed at its end (in
// memory where the system offers it, so that the syncs cost nothing). Its
// name is fixed: a random one would reach libFuzzer's table of compared
// bytes and make two runs differ. A lock beside it lets one process at a
// time use it; another waits.
class ScratchFolder {
public:
    ScratchFolder() {
        path_ = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/sigilry-fuzz-journal");
        lock_ = ::open((path_ + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        std::error_code error;
        // Without the folder or its lock the machine cannot run the target at all.
        if (lock_ < 0) std::abort();
        // libFuzzer's timer interrupts the wait: it goes on.
        while (::flock(lock_, LOCK_EX) != 0)
            if (errno != EINTR) std::abort();
        std::filesystem::remove_all(path_, error);
        if (!std::filesystem::create_directory(path_, error)) std::abort();
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        ::close(lock_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int lock_ = -1;
};

// Writes bytes as the whole file at path, in place (a temporary file would be
// named after the process, and its number would make two runs differ).
inline bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = fs::WriteAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

// Replaces every `placeholder` in text by `value`.
inline void FillIn(std::string& text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

// The journal's fields a fuzzer cannot know are filled in from the file just
// written: "@dev" and "@ino" its identity, "@crc" the checksum of the tail
// before the journal's "length=" (so that the cutting path is reached).
inline std::string JournalWithIdentity(std::string text, const std::string& path, const std::string& file) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return text;
    FillIn(text, "@dev", std::to_string(info.st_dev));
    FillIn(text, "@ino", std::to_string(info.st_ino));
    const std::size_t field = text.find("length=");
    const long long length = field == std::string::npos ? -1 : std::atoll(text.c_str() + field + 7);
    if (length < 0 || static_cast<std::size_t>(length) > file.size()) return text;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(length), 4096);
    const uLong crc = ::crc32(0, reinterpret_cast<const Bytef*>(file.data() + length - count), static_cast<uInt>(count));
    FillIn(text, "@crc", Format("%08x", static_cast<uint32_t>(crc)));
    return text;
}

// First byte: the length of the journal (0: none), then the journal's bytes,
// then the file's. The recovery only ever cuts the file, and only to the
// length its journal states; a refusal leaves the file and the journal as
// they were, and anything else leaves no journal behind.
inline int Journal(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const ScratchFolder folder;
    const std::size_t journalBytes = data[0] < size - 1 ? data[0] : size - 1;
    const std::string before(AsText(data + 1 + journalBytes, size - 1 - journalBytes));
    const std::string path = folder.Path() + "/k.pdf";
    const std::string journal = JournalPathOf(path);
    SGRY_FUZZ_EXPECT(WriteWholeFile(path, before));
    const std::string journalText = JournalWithIdentity(std::string(AsText(data + 1, journalBytes)), path, before);
    std::filesystem::remove(journal);
    if (journalBytes > 0) SGRY_FUZZ_EXPECT(WriteWholeFile(journal, journalText));

    const fs::FileLock lock(path);
    const RecoveryOutcome outcome = RecoverInterruptedUpdate(path, lock);
    const std::optional<std::string> after = fs::ReadWholeFile(path);
    SGRY_FUZZ_EXPECT(after.has_value() && before.starts_with(*after));
    SGRY_FUZZ_EXPECT(outcome.restored == (after->size() < before.size()));
    if (outcome.refused) {
        SGRY_FUZZ_EXPECT(*after == before && fs::ReadWholeFile(journal) == journalText);
        return 0;
    }
    SGRY_FUZZ_EXPECT(!std::filesystem::exists(journal));
    if (outcome.restored) {
        const std::size_t field = journalText.find("\r\nlength=");
        SGRY_FUZZ_EXPECT(field != std::string::npos);
        SGRY_FUZZ_EXPECT(std::strtoull(journalText.c_str() + field + 9, nullptr, 10) == after->size());
    }
    return 0;
}

// The input's first line is added to the page tree node, the rest to the
// page (object 4, an array, and 5, a number, are there to be referred to):
// the boxes and /Rotate, inherited or not, give pages whose size is never
// negative, whose corner is a number, and whose rotation is less than a turn.
inline int PageBoxes(const uint8_t* data, std::size_t size) {
    const std::string_view text = AsText(data, size);
    const std::size_t lineEnd = std::min(text.find('\n'), text.size());
    const std::string node = " " + std::string(text.substr(0, lineEnd));
    const std::string page = " " + std::string(text.substr(lineEnd));
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(OnePagePdf(node, page, "[0 0 300 400]\nendobj\n5 0 obj\n90"));
    if (job->ErrorCode() != JobError::None || !job->BuildPageList(PageRangeChoice{})) return 0;
    for (int32_t i = 0; i < job->Pages().Count(); ++i) {
        PageEntry entry;
        SGRY_FUZZ_EXPECT(job->GetPage(i, entry));
        SGRY_FUZZ_EXPECT(entry.width >= 0 && entry.height >= 0);
        SGRY_FUZZ_EXPECT(std::isfinite(entry.originX) && std::isfinite(entry.originY));
        SGRY_FUZZ_EXPECT(entry.rotation > -360 && entry.rotation < 360);
    }
    if (!WriteUpdate(*job)) job->UndoUpdate();
    return 0;
}

// A content stream, split at its first NUL into two streams of one page.
// Opening as many states first as the count says it closes leaves none
// closed that was not opened.
inline int Balance(const uint8_t* data, std::size_t size) {
    const std::string_view text = AsText(data, size);
    const std::size_t split = std::min(text.find('\0'), text.size());
    const auto count = [&](std::string_view opened) {
        GraphicsStateBalance balance;
        balance.Add(opened);
        balance.Add(text.substr(0, split));
        balance.Add(text.substr(split));
        return balance.ExtraRestores();
    };
    const int32_t extra = count("");
    SGRY_FUZZ_EXPECT(extra >= 0 && extra <= GraphicsStateBalance::kMaxExtraRestores);
    if (extra == GraphicsStateBalance::kMaxExtraRestores) return 0;
    std::string opened;
    for (int32_t i = 0; i < extra; ++i) opened += "q\n";
    SGRY_FUZZ_EXPECT(count(opened) == 0);
    return 0;
}

}  // namespace sgry::fuzz
