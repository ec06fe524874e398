#include "engine/ContentPrescan.h"

#include "platform/WorkerThread.h"

namespace sgry {

ContentPrescan::ContentPrescan(const PdfJob& job, const PageRangeChoice& range, bool stampOdd, bool stampEven) {
    const int32_t pages = job.Pages().Count();
    finished_ = true;
    if (pages < kMinPages || job.Security() || job.RepairState() != Repair::NotNeeded) return;
    job_ = std::make_unique<PdfJob>(job.SourcePath());
    if (job_->ErrorCode() != JobError::None || job_->RepairState() != Repair::NotNeeded || job_->Security()) return;
    finished_ = false;
    balances_.resize(static_cast<std::size_t>(pages));
    worker_ = StartWorkerThread(&ContentPrescan::Count, this, range, pages, stampOdd, stampEven);
}

ContentPrescan::~ContentPrescan() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void ContentPrescan::Count(PageRangeChoice range, int32_t expectedPages, bool stampOdd, bool stampEven) {
    const bool same = job_->BuildPageList(range) && job_->Pages().Count() == expectedPages;
    for (int32_t index = 0; same && index < expectedPages && !stop_; ++index) {
        std::optional<PdfJob::StateBalance> balance;
        if (PdfJob::IsStampedPosition(index + 1, stampOdd, stampEven)) balance = job_->PageBalance(index);
        const std::lock_guard<std::mutex> lock(mutex_);
        balances_[static_cast<std::size_t>(index)] = balance;
        done_ = index + 1;
        counted_.notify_one();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    counted_.notify_one();
}

std::optional<PdfJob::StateBalance> ContentPrescan::Take(int32_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    counted_.wait(lock, [&] { return finished_ || done_ > index; });
    if (index < 0 || index >= done_) return std::nullopt;
    return balances_[static_cast<std::size_t>(index)];
}

}  // namespace sgry
