#include "engine/FileRunGuard.h"

#include "engine/TestStopPoint.h"
#include "platform/Format.h"

namespace sgry {

FileRunGuard::FileRunGuard(const std::string& path, fs::LockAccess access)
    : lock_(path, access), busy_(lock_.Busy()) {
    if (busy_) {
        message_ = Format(run_lock_message::kBusy, path);
        return;
    }
    StopHereForTest("locked");
    recovery_ = access == fs::LockAccess::ReadOnly ? CheckInterruptedUpdate(path, lock_)
                                                   : RecoverInterruptedUpdate(path, lock_);
    message_ = recovery_.message;
}

}  // namespace sgry
