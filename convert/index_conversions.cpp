// Thread index conversions overlapped on a few worker threads, reported in the order given.
#include "convert/index_conversions.h"

#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

// How many conversions per worker may wait to be reported: enough to keep every worker busy
// while the caller reports, few enough to hold little.
constexpr std::size_t kQueuedPerWorker = 16;

// Runs one step of a conversion; what it throws is kept to be thrown again in the job's turn.
template <typename Step>
void Attempt(std::exception_ptr& escaped, Step step) {
  try {
    step();
  } catch (...) {
    if (!escaped) escaped = std::current_exception();
  }
}

}  // namespace

IndexConversions::IndexConversions(Context& cx)
    : cx_(cx), window_(kQueuedPerWorker * static_cast<std::size_t>(cx.jobs())) {}

IndexConversions::~IndexConversions() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_added_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void IndexConversions::Add(std::string from, std::string to, Done done) {
  // A stop between two indexes drops what is queued: each index written so far is whole.
  cx_.StopIfAsked();
  Job job;
  job.from = std::move(from);
  job.to = std::move(to);
  job.done = std::move(done);
  job.ticket = tickets_++;
  if (cx_.jobs() <= 1) {
    Convert(job);
    Report(job);
    return;
  }
  StartWorkers();
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    to_start_.push_back(&jobs_.back());
  }
  work_added_.notify_one();
  if (jobs_.size() >= window_) ReportOldest();
}

void IndexConversions::Then(std::function<void()> report) {
  if (jobs_.empty()) {
    report();
    return;
  }
  Job job;
  job.done = [report = std::move(report)](bool) { report(); };
  job.finished = true;
  jobs_.push_back(std::move(job));
  if (jobs_.size() >= window_) ReportOldest();
}

void IndexConversions::Finish() {
  while (!jobs_.empty()) ReportOldest();
}

void IndexConversions::StartWorkers() {
  while (workers_.size() < static_cast<std::size_t>(cx_.jobs())) {
    workers_.emplace_back([this] { Work(); });
  }
}

void IndexConversions::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_added_.wait(lock, [this] { return stopping_ || !to_start_.empty(); });
    if (stopping_) return;
    Job& job = *to_start_.front();
    to_start_.pop_front();
    lock.unlock();
    Convert(job);
    lock.lock();
  }
}

void IndexConversions::Convert(Job& job) {
  std::string line, key;
  Attempt(job.escaped, [&] {
    line = ReadThreadIndex(cx_.files(), job.from, job.read_error);
    if (!line.empty()) key = PathKey(job.to);
  });
  const bool converted = !key.empty();
  job.converted = converted;
  {
    // Folders are made in the order of the conversions, so that where two names differ only in
    // case, the one made is the one a conversion one at a time would make.
    std::unique_lock lock(mutex_);
    turn_passed_.wait(
        lock, [&] { return turn_ == job.ticket && (!converted || writing_.count(key) == 0); });
    if (converted) writing_.insert(key);
  }
  if (converted) {
    Attempt(job.escaped,
            [&] { job.write_error = cx_.files().MakeFolderTree(GetFolderPart(job.to)); });
  }
  {
    const std::lock_guard lock(mutex_);
    ++turn_;
  }
  turn_passed_.notify_all();
  if (converted && !job.write_error && !job.escaped) {
    Attempt(job.escaped, [&] { job.write_error = cx_.files().WriteFileBytes(job.to, line); });
  }
  {
    // Once finished, the job is the caller's: it is not touched again here.
    const std::lock_guard lock(mutex_);
    writing_.erase(key);
    job.finished = true;
  }
  // Only a conversion of the same file can be waiting for this one's write.
  if (converted) turn_passed_.notify_all();
  job_finished_.notify_one();
}

void IndexConversions::ReportOldest() {
  Job job;
  {
    std::unique_lock lock(mutex_);
    job_finished_.wait(lock, [this] { return jobs_.front().finished; });
    job = std::move(jobs_.front());
    jobs_.pop_front();
  }
  Report(job);
}

void IndexConversions::Report(Job& job) {
  if (job.escaped) std::rethrow_exception(job.escaped);
  if (job.write_error) cx_.ReportWriteFailure(job.to, job.write_error);
  job.done(job.converted);
  if (job.read_error) cx_.ReportReadFailure(job.from, job.read_error);
}

}  // namespace mirelda
