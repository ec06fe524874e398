#pragma once
// Getting bytes onto the disk in an order that survives a crash or a power
// loss: fsync of a file, fsync of the folder that holds a name, and whole
// small files replaced through a temporary name (write, fsync, rename, fsync
// of the folder), so that a reader finds either the old file or the new one,
// never a half-written one.
//
// Syncing can be switched off for the whole process (sigilry-cli --no-sync):
// every Sync* call then succeeds without touching the disk. Outputs written
// that way may be lost or torn by a power loss; renames still happen, so a
// run that is killed leaves the same files behind as with syncing on.
#include <string>
#include <string_view>
#include <vector>

namespace sgry::fs {

void SetSyncEnabled(bool enabled);
bool SyncEnabled();

// fsync of the file at path (opened read-only: Linux writes back the file's
// data whichever descriptor wrote it).
bool SyncFile(const std::string& path);
// Starts writing the file's data to the disk and returns at once, so that a
// SyncFile later, after other work, has less left to wait for. Nothing when
// syncing is off; a failure only leaves the wait to SyncFile.
void StartWriteback(const std::string& path);
// fsync of the folder that holds path's name, so that a create, rename or
// remove of that name is on the disk.
bool SyncFolderOf(const std::string& path);
// Flushes several files together: the writing of every one is started
// before the first is waited for, so that the disk gets one stream of writes
// and the file system commits them at once. For each path, 0 or the errno of
// its failure.
std::vector<int> SyncFiles(const std::vector<std::string>& paths);
// fsync of each folder that holds one of the paths, each folder once; the
// errno of the first failure, or 0.
int SyncFoldersOf(const std::vector<std::string>& paths);
// Renames from over to (replacing it) and syncs to's folder.
bool RenameDurably(const std::string& from, const std::string& to);
// Renames from to `to` only when nothing has that name yet (the check and
// the rename are one step); false with EEXIST otherwise. The folder is not
// synced.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);
// Creates folder and every missing folder above it, each new one synced into
// its parent, so that a file later synced inside it keeps its path after a
// power loss. True when the folder exists (errno tells why not).
bool CreateFoldersDurably(const std::string& folder);
// Removes path (a missing file counts as removed) and syncs its folder.
bool RemoveDurably(const std::string& path);

// Replaces the file at path with bytes through ProcessTempPathFor(path):
// written, synced, renamed over path, folder synced. On failure the old file
// is left as it was and the temporary file is removed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);
// The same for a file of this program's own (a journal): a symbolic link at
// path is replaced by the new file, never written through, and the file gets
// a new file's permissions.
bool PublishNewFile(const std::string& path, std::string_view bytes);
// The first half of PublishNewFile, for files published together: bytes
// written to ProcessTempPathFor(path), not synced. The caller syncs the
// temporary files (SyncFiles), renames them and syncs their folders.
bool WriteNewTemp(const std::string& path, std::string_view bytes);

// The name under which this process writes a file that is published later by
// RenameDurably: ".~<name>.<pid>.sgry-tmp" beside target. Hidden, and never
// taken for the file itself.
std::string ProcessTempPathFor(const std::string& target);
// Removes from folder every file named by ProcessTempPathFor whose process
// no longer runs (left behind by a run that was killed). Each folder is
// searched once a process.
void RemoveOrphanedTempFiles(const std::string& folder);

// Folder of a path with its trailing separator ("./" for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace sgry::fs
