// Thread index conversions overlapped on a few worker threads, reported in the order given.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "convert/context.h"

namespace mirelda {

/// Converts thread indexes with the reading and writing of several under way at once on worker
/// threads, and reports each through the context, on the calling thread, in the order in which
/// it was added: the log, the failures and the files are those of converting them one after
/// another. Folders are made in that order too, and two conversions that may write one file
/// never overlap. With one job there are no workers at all.
class IndexConversions {
 public:
  /// Told on the calling thread, in its turn, whether an index was converted.
  using Done = std::function<void(bool converted)>;

  explicit IndexConversions(Context& cx);
  /// Stops the workers; what was added and not yet reported is dropped.
  ~IndexConversions();
  IndexConversions(const IndexConversions&) = delete;
  IndexConversions& operator=(const IndexConversions&) = delete;

  /// Converts the Katjusha index at `from` into the Live2ch index `to`, making its folder. In its
  /// turn a failed write is reported, then `done` is called, then an index that exists but could
  /// not be read is reported. Throws RunStopped instead when the user has asked the run to stop.
  void Add(std::string from, std::string to, Done done);

  /// Calls `report` in its turn, once everything added before it has been reported.
  void Then(std::function<void()> report);

  /// Waits for everything added and reports it.
  void Finish();

 private:
  struct Job {
    std::string from, to;
    Done done;
    std::size_t ticket = 0;  // its place among the conversions, for making folders in order
    bool converted = false;
    std::error_code read_error, write_error;
    std::exception_ptr escaped;  // what a worker's step threw, thrown again in its turn
    bool finished = false;
  };

  void StartWorkers();
  void Work();
  void Convert(Job& job);
  void ReportOldest();
  void Report(Job& job);

  Context& cx_;
  const std::size_t window_;              // how many may be added and not yet reported
  std::mutex mutex_;                      // guards the jobs' progress and everything below
  std::condition_variable work_added_;    // for idle workers
  std::condition_variable turn_passed_;   // for workers waiting to make folders or to write
  std::condition_variable job_finished_;  // for the caller, waiting to report
  std::deque<Job> jobs_;       // not yet reported, oldest first; changed by the caller only
  std::deque<Job*> to_start_;  // conversions that no worker has taken yet
  std::size_t tickets_ = 0;    // conversions added so far
  std::size_t turn_ = 0;       // the conversion whose folder is made next
  std::unordered_set<std::string> writing_;  // PathKey of each file being written
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace mirelda
