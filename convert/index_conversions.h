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
#include <unordered_map>
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
    bool report_only = false;  // a report that only waits its turn
    std::string line, key;     // the Live2ch line while it waits to be written, and its PathKey
    bool converted = false;
    std::error_code read_error, write_error;
    std::exception_ptr escaped;  // what a worker's step threw, thrown again in its turn
  };

  // Conversions that one worker takes together, so that the threads meet once for many indexes
  // rather than several times for each, and the file system reads and journals them together.
  struct Batch {
    std::vector<Job> jobs;
    std::size_t ticket = 0;  // its place among the batches, for making folders in order
    bool finished = false;
  };

  // Adds a job to the batch being filled, and hands the batch over once it is full.
  void Queue(Job job);
  // Hands the batch being filled to the workers, or converts it at once where there are none;
  // then reports the oldest batches while too many wait.
  void HandOver();
  void StartWorkers();
  void Work();
  void Convert(Batch& batch);
  void ReadAll(Batch& batch);
  void MakeFolders(Batch& batch);
  void WriteAll(Batch& batch);
  // Waits until every batch before this one has made its folders, and no other batch writes a
  // file that this one writes.
  void AwaitTurn(const Batch& batch);
  void PassTurn();
  // Lets go of the batch's files and gives the batch back to the caller to report.
  void HandBack(Batch& batch);
  void ReportOldest();
  void Report(Job& job);

  Context& cx_;
  const std::size_t window_;                // how many batches may be handed over and not reported
  std::mutex mutex_;                        // guards the batches' progress and everything below
  std::condition_variable work_added_;      // for idle workers
  std::condition_variable turn_passed_;     // for workers waiting to make folders or to write
  std::condition_variable batch_finished_;  // for the caller, waiting to report
  // Not yet reported, oldest first; changed by the caller only. The last one is still being
  // filled while `filling_`.
  std::deque<Batch> batches_;
  bool filling_ = false;
  std::size_t handed_ = 0;                        // batches handed over and not yet reported
  std::deque<Batch*> to_start_;                   // batches that no worker has taken yet
  std::size_t tickets_ = 0;                       // batches handed over so far
  std::size_t turn_ = 0;                          // the batch whose folders are made next
  std::unordered_map<std::string, int> writing_;  // PathKey => conversions writing it
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace mirelda
