#pragma once
// One run on one file at a time: an open-file-description lock (F_OFD_SETLK)
// over the whole file, held from construction until destruction. Such a lock
// belongs to the descriptor, not to the process, so two threads of one
// program, or the desktop program's list and its own run, exclude each other
// as two programs do; closing another descriptor of the file keeps it.
//
// The lock is taken at once or not at all: nothing waits. It is exclusive
// when the file can be opened for writing, and shared when it can only be
// read (no run of ours can change such a file, and runs that only read it
// may share it). A run that must never change the file (its output goes to
// another folder) asks for LockAccess::ReadOnly: the file is then opened
// only for reading and the lock is shared, whatever the file allows. A path that is no regular file, or cannot be opened, gets
// no lock (Unavailable): the run then fails on its own when it reads it.
#include <cstdint>
#include <string>

#include "platform/Descriptor.h"

namespace sgry::fs {

// Which file a descriptor or journal speaks of, whatever its name.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class LockAccess { Update, ReadOnly };

class FileLock {
public:
    enum class State { Held, Busy, Unavailable };

    explicit FileLock(const std::string& path, LockAccess access = LockAccess::Update);
    FileLock(FileLock&&) noexcept = default;
    FileLock& operator=(FileLock&&) noexcept = default;

    State GetState() const { return state_; }
    bool Busy() const { return state_ == State::Busy; }
    bool Held() const { return state_ == State::Held; }
    // The locked file's descriptor (open for reading, and for writing when
    // the lock is exclusive); -1 unless Held.
    int Fd() const { return state_ == State::Held ? fd_.Get() : -1; }
    bool Writable() const { return writable_; }
    FileIdentity Identity() const { return identity_; }

private:
    Descriptor fd_;
    State state_ = State::Unavailable;
    bool writable_ = false;
    FileIdentity identity_;
};

}  // namespace sgry::fs
