// The journal of an update in place, read back by the recovery of the next
// run: it cuts only the file it was written for, only where that file's
// original ended, and leaves everything alone otherwise.
#include "engine/UpdateJournal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <functional>

#include "engine/FileRunGuard.h"
#include "engine/OutputGroup.h"
#include "platform/Format.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

class UpdateJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; original.size() < 6000; ++i) original += Format("%d 0 obj\r\n<< >>\r\nendobj\r\n", i);
        original += "startxref\r\n9\r\n%%EOF\r\n";
        ScratchDir::Write(path, original);
    }

    // A journal for the file as it is, then part of an update appended.
    void Tear() {
        UpdateJournal journal;
        ASSERT_TRUE(journal.Begin(path, static_cast<int64_t>(original.size())));
        ScratchDir::Write(path, original + "\r\n%Sigilry 1.08\r\n90 0 obj\r\n<< /Type /Fo");
    }

    RecoveryOutcome Recover() {
        const fs::FileLock lock(path);
        return RecoverInterruptedUpdate(path, lock);
    }

    ScratchDir dir{"journal"};
    std::string path = dir.File("k.pdf");
    std::string journalPath = dir.File(".k.pdf.sgry-journal");
    std::string original;
};

// The journal names the file, its length and the checksum of its last 4096
// bytes; the recovery cuts the torn update off and removes the journal.
TEST_F(UpdateJournalTest, ATornUpdateIsCutBackToTheRecordedLength) {
    Tear();
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const std::string tail = original.substr(original.size() - 4096);
    const uLong crc = ::crc32(0, reinterpret_cast<const Bytef*>(tail.data()), 4096);
    EXPECT_EQ(ScratchDir::Read(journalPath),
              Format("%%Sigilry-journal 2\r\ndevice=%lu\r\ninode=%lu\r\nlength=%lu\r\ntail=4096 %08x\r\n",
                     info.st_dev, info.st_ino, original.size(), static_cast<uint32_t>(crc)));

    const RecoveryOutcome outcome = Recover();
    EXPECT_TRUE(outcome.restored);
    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(outcome.message, Format(recovery_message::kRestored, path));
    EXPECT_EQ(ScratchDir::Read(path), original);
    EXPECT_FALSE(std::filesystem::exists(journalPath));
}

// Stopped before the first byte of the update (or after cutting back): the
// journal goes, silently, and the file stays as it is.
TEST_F(UpdateJournalTest, AFileOfTheRecordedLengthOnlyLosesItsJournal) {
    UpdateJournal journal;
    ASSERT_TRUE(journal.Begin(path, static_cast<int64_t>(original.size())));
    const RecoveryOutcome outcome = Recover();
    EXPECT_FALSE(outcome.restored || outcome.refused);
    EXPECT_EQ(outcome.message, "");
    EXPECT_EQ(ScratchDir::Read(path), original);
    EXPECT_FALSE(std::filesystem::exists(journalPath));
    // A linked folder on the way leads to the same folder: the journal keeps the name given.
    const std::string linked = dir.File("linked");
    std::filesystem::create_directory_symlink(dir.Path(), linked);
    EXPECT_EQ(JournalPathOf(linked + "/k.pdf"), linked + "/.k.pdf.sgry-journal");
}

// Whatever makes the journal another file's: nothing is cut, the journal
// stays, and the reason is given.
TEST_F(UpdateJournalTest, AJournalThatDoesNotMatchRefusesTheFile) {
    const std::string journalText = [&] {
        Tear();
        return ScratchDir::Read(journalPath);
    }();
    const auto flip = [&](std::size_t at) {
        std::string bytes = ScratchDir::Read(path);
        bytes[at] ^= 1;
        ScratchDir::Write(path, bytes);
    };
    const std::vector<std::pair<Translatable, std::function<void()>>> cases = {
        {recovery_message::kTailChanged, [&] { flip(original.size() - 4096); }},
        {recovery_message::kTailChanged, [&] { flip(original.size() - 1); }},
        {recovery_message::kShorter, [&] { std::filesystem::resize_file(path, original.size() - 1); }},
        {recovery_message::kOtherFile,
         [&] {
             ScratchDir::Write(dir.File("copy"), ScratchDir::Read(path));
             std::filesystem::rename(dir.File("copy"), path);
         }},
        {recovery_message::kJournalUnreadable,
         [&] { ScratchDir::Write(journalPath, journalText.substr(0, journalText.size() - 2)); }},
        {recovery_message::kJournalUnreadable,
         [&] { ScratchDir::Write(journalPath, "%Sigilry-journal 1\r\n6000\r\n"); }},
        {recovery_message::kJournalIsLink,
         [&] {
             ScratchDir::Write(dir.File("target"), journalText);
             std::filesystem::remove(journalPath);
             std::filesystem::create_symlink(dir.File("target"), journalPath);
         }},
    };
    for (const auto& [reason, change] : cases) {
        SCOPED_TRACE(reason.Text());
        Tear();
        change();
        const std::string file = ScratchDir::Read(path);
        const std::string journal = ScratchDir::Read(journalPath);
        const RecoveryOutcome outcome = Recover();
        EXPECT_TRUE(outcome.refused);
        EXPECT_FALSE(outcome.restored);
        EXPECT_EQ(outcome.message, Format(recovery_message::kJournalMismatch, reason, journalPath, path));
        EXPECT_EQ(ScratchDir::Read(path), file);
        EXPECT_EQ(ScratchDir::Read(journalPath), journal);
        std::filesystem::remove(journalPath);
        ScratchDir::Write(path, original);
    }
}

// A run that finds the file held by another is refused before it reads it.
TEST_F(UpdateJournalTest, AFileHeldByAnotherRunIsNeitherRecoveredNorRun) {
    Tear();
    const std::string torn = ScratchDir::Read(path);
    {
        const FileRunGuard holder(path);
        EXPECT_TRUE(holder.MayProceed());
        EXPECT_TRUE(holder.Recovery().restored);
        ScratchDir::Write(path, torn);
        const FileRunGuard second(path);
        EXPECT_TRUE(second.Busy());
        EXPECT_FALSE(second.MayProceed());
        EXPECT_EQ(second.Message(), Format(run_lock_message::kBusy, path));
        EXPECT_EQ(ScratchDir::Read(path), torn);
    }
    EXPECT_TRUE(FileRunGuard(path).MayProceed());
}

}  // namespace
}  // namespace sgry

namespace sgry {
namespace {

// The outputs of a group: in-place files locked and journaled before any is
// appended to, at most kMaxFiles at once; every output under its name and
// every journal gone only once the group closes; the journal of a file that
// was appended to and not cut back kept.
TEST(OutputGroupTest, NamesAndJournalsChangeOnlyWhenTheGroupCloses) {
    ScratchDir dir{"group"};
    const auto journals = [&] {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            count += entry.path().filename().native().ends_with(".sgry-journal") ? 1 : 0;
        return count;
    };
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < OutputGroup::kMaxFiles + 2; ++i) {
        paths.push_back(dir.File(Format("f%d.pdf", static_cast<int>(i))));
        ScratchDir::Write(paths.back(), "%PDF-1.4\r\n" + std::string(i, 'x'));
    }
    OutputGroup group;
    group.Prepare(paths);
    EXPECT_EQ(journals(), OutputGroup::kMaxFiles);
    EXPECT_EQ(group.GuardOf(paths[OutputGroup::kMaxFiles]), nullptr);
    ASSERT_NE(group.JournalOf(paths[3]), nullptr);
    EXPECT_EQ(group.JournalOf(paths[3])->LengthBefore(), 13);

    ScratchDir::Write(paths[0], "%PDF-1.4\r\nupdate");  // stamped in place
    group.Finished(paths[0], {paths[0], paths[0], false, {}}, nullptr);
    ScratchDir::Write(paths[1], "%PDF-1.4\r\nx torn");  // its run failed and could not cut it back
    group.Ended(paths[1]);
    group.Ended(paths[2]);  // its run ended before writing
    const std::string copy = dir.File("_copy.pdf"), temp = dir.File(".~_copy.pdf.tmp");
    ScratchDir::Write(temp, "copy");
    group.Finished(dir.File("copy.pdf"), {temp, copy, true, {}}, nullptr);
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_EQ(journals(), OutputGroup::kMaxFiles);

    const std::vector<GroupedOutput> outcomes = group.Close();
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].outputPath, paths[0]);
    EXPECT_EQ(outcomes[1].outputPath, copy);
    for (const GroupedOutput& outcome : outcomes) EXPECT_TRUE(outcome.committed && !outcome.folderNotSynced);
    EXPECT_EQ(ScratchDir::Read(copy), "copy");
    EXPECT_FALSE(std::filesystem::exists(temp));
    EXPECT_FALSE(std::filesystem::exists(JournalPathOf(paths[0])));
    EXPECT_TRUE(std::filesystem::exists(JournalPathOf(paths[1])));
    EXPECT_FALSE(std::filesystem::exists(JournalPathOf(paths[2])));
    EXPECT_TRUE(group.Holds(paths[3]));  // prepared, its run still to come
    EXPECT_FALSE(group.Holds(paths[0]));
    EXPECT_EQ(journals(), OutputGroup::kMaxFiles - 2);
    group.Release();
    EXPECT_EQ(journals(), 1u);  // only the torn file's
}

}  // namespace
}  // namespace sgry
