// Thread index conversions overlapped on a few worker threads, reported in the order given.
#include "convert/index_conversions.h"

#include "convert/thread_index.h"
#include "util/path.h"

namespace mirelda {
namespace {

// How many conversions a worker takes at once: enough that the threads seldom meet, few enough
// that the caller can report often and every worker gets a share of a small tree.
constexpr std::size_t kJobsPerBatch = 64;

// How many batches per worker may wait to be reported: enough to keep every worker busy while the
// caller reports, few enough to hold little.
constexpr std::size_t kBatchesPerWorker = 2;

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
    : cx_(cx),
      window_(cx.jobs() <= 1 ? 1 : kBatchesPerWorker * static_cast<std::size_t>(cx.jobs())) {}

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
  Queue(std::move(job));
}

void IndexConversions::Then(std::function<void()> report) {
  if (batches_.empty()) {
    report();
    return;
  }
  Job job;
  job.report_only = true;
  job.done = [report = std::move(report)](bool) { report(); };
  Queue(std::move(job));
}

void IndexConversions::Finish() {
  HandOver();
  while (!batches_.empty()) ReportOldest();
}

void IndexConversions::Queue(Job job) {
  if (!filling_) {
    batches_.emplace_back();
    filling_ = true;
  }
  std::vector<Job>& jobs = batches_.back().jobs;
  jobs.push_back(std::move(job));
  // One at a time, each index is converted and reported as soon as it is added.
  if (jobs.size() >= kJobsPerBatch || cx_.jobs() <= 1) HandOver();
}

void IndexConversions::HandOver() {
  if (!filling_) return;
  filling_ = false;
  Batch& batch = batches_.back();
  batch.ticket = tickets_++;
  if (cx_.jobs() <= 1) {
    Convert(batch);
  } else {
    StartWorkers();
    {
      const std::lock_guard lock(mutex_);
      to_start_.push_back(&batch);
    }
    work_added_.notify_one();
  }
  ++handed_;
  while (handed_ >= window_) ReportOldest();
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
    Batch& batch = *to_start_.front();
    to_start_.pop_front();
    lock.unlock();
    Convert(batch);
    lock.lock();
  }
}

void IndexConversions::Convert(Batch& batch) {
  ReadAll(batch);
  AwaitTurn(batch);
  MakeFolders(batch);
  PassTurn();
  WriteAll(batch);
  HandBack(batch);
}

void IndexConversions::ReadAll(Batch& batch) {
  // Read together, so that the file system can read them in few calls.
  std::vector<WholeRead> files;
  for (const Job& job : batch.jobs) {
    if (!job.report_only) files.push_back({job.from, kMaxDataFileSize, {}, {}});
  }
  std::exception_ptr escaped;
  Attempt(escaped, [&] { cx_.files().ReadEachFileBytes(files); });
  auto file = files.begin();
  for (Job& job : batch.jobs) {
    if (job.report_only) continue;
    const WholeRead& read = *file++;
    job.read_error = read.error;
    job.escaped = escaped;
    if (!escaped) {
      Attempt(job.escaped, [&] {
        job.line = ThreadIndexLine(read.bytes);
        if (!job.line.empty()) job.key = PathKey(job.to);
      });
    }
    job.converted = !job.key.empty();
  }
}

void IndexConversions::AwaitTurn(const Batch& batch) {
  // Folders are made in the order of the conversions, so that where two names differ only in
  // case, the one made is the one a conversion one at a time would make; and a file is written
  // by one conversion at a time, in that order too.
  std::unique_lock lock(mutex_);
  turn_passed_.wait(lock, [&] {
    if (turn_ != batch.ticket) return false;
    for (const Job& job : batch.jobs) {
      if (job.converted && writing_.count(job.key) != 0) return false;
    }
    return true;
  });
  for (const Job& job : batch.jobs) {
    if (job.converted) ++writing_[job.key];
  }
}

void IndexConversions::MakeFolders(Batch& batch) {
  for (Job& job : batch.jobs) {
    if (!job.converted) continue;
    Attempt(job.escaped,
            [&] { job.write_error = cx_.files().MakeFolderTree(GetFolderPart(job.to)); });
  }
}

void IndexConversions::WriteAll(Batch& batch) {
  // Written together, so that the file system can journal them in one go.
  std::vector<WholeReplacement> files;
  std::vector<Job*> writing;
  for (Job& job : batch.jobs) {
    if (!job.converted || job.write_error || job.escaped) continue;
    files.push_back({job.to, job.line, {}});
    writing.push_back(&job);
  }
  std::exception_ptr escaped;
  Attempt(escaped, [&] { cx_.files().WriteEachFileBytes(files); });
  for (std::size_t i = 0; i < writing.size(); ++i) {
    writing[i]->write_error = files[i].error;
    if (!writing[i]->escaped) writing[i]->escaped = escaped;
  }
  for (Job& job : batch.jobs) std::string().swap(job.line);  // only the reports are left to do
}

void IndexConversions::PassTurn() {
  {
    const std::lock_guard lock(mutex_);
    ++turn_;
  }
  turn_passed_.notify_all();
}

void IndexConversions::HandBack(Batch& batch) {
  bool wrote = false;
  {
    // Once finished, the batch is the caller's: it is not touched again here.
    const std::lock_guard lock(mutex_);
    for (const Job& job : batch.jobs) {
      if (!job.converted) continue;
      wrote = true;
      if (--writing_[job.key] == 0) writing_.erase(job.key);
    }
    batch.finished = true;
  }
  // Only a conversion of the same file can be waiting for this batch's writes.
  if (wrote) turn_passed_.notify_all();
  batch_finished_.notify_one();
}

void IndexConversions::ReportOldest() {
  {
    std::unique_lock lock(mutex_);
    batch_finished_.wait(lock, [this] { return batches_.front().finished; });
  }
  Batch batch = std::move(batches_.front());
  batches_.pop_front();
  --handed_;
  for (Job& job : batch.jobs) Report(job);
}

void IndexConversions::Report(Job& job) {
  if (job.escaped) std::rethrow_exception(job.escaped);
  if (job.write_error) cx_.ReportWriteFailure(job.to, job.write_error);
  job.done(job.converted);
  if (job.read_error) cx_.ReportReadFailure(job.from, job.read_error);
}

}  // namespace mirelda
