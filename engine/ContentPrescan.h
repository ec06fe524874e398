#pragma once
// The graphics-state count of a large file's pages, done ahead of the writer
// on a second core. The count reads and inflates every content stream, about
// a third of a content-heavy run; a thread of its own, with a job of its own
// on the same source (nothing is shared with the writer's job), counts the
// stamped pages in order while the writer appends, and the writer takes each
// page's count when it reaches the page, waiting only if it is ahead.
//
// Only plain sources are counted ahead: an encrypted one, or one read from a
// rebuilt table, is counted by the writer as it goes.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/PageSelection.h"
#include "engine/PdfJob.h"

namespace sgry {

class ContentPrescan {
public:
    // Files with fewer pages are counted by the writer: a thread and a
    // second reading of the file cost more than they save.
    static constexpr int32_t kMinPages = 500;

    // Starts counting the pages of job's source that the pass stamps, when
    // it pays and the source allows it.
    ContentPrescan(const PdfJob& job, const PageRangeChoice& range, bool stampOdd, bool stampEven);
    // Stops the count if it is still running.
    ~ContentPrescan();
    ContentPrescan(const ContentPrescan&) = delete;
    ContentPrescan& operator=(const ContentPrescan&) = delete;

    // The count of the page at index in the writer's page list; nullopt when
    // it was not counted ahead (the writer counts it itself).
    std::optional<PdfJob::StateBalance> Take(int32_t index);

private:
    void Count(PageRangeChoice range, int32_t expectedPages, bool stampOdd, bool stampEven);

    // The counting thread's own job, opened before the writer appends a
    // byte: it reads the source's table as it was, and the objects it reads
    // stay where they are.
    std::unique_ptr<PdfJob> job_;
    std::mutex mutex_;
    std::condition_variable counted_;
    std::vector<std::optional<PdfJob::StateBalance>> balances_;
    int32_t done_ = 0;  // pages counted (or passed over) so far
    bool finished_ = false;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace sgry
