// A program that runs, asleep, from a path of the test's choosing, for as long as the object lives.
#pragma once

#include <map>
#include <string>

namespace mirelda::test {

/// A sleeping process whose program is `path`: on Linux `program` (sleep) started under that
/// name (as `exec -a` does), with `environment` added; on Windows a tiny sleeping program copied
/// to `path`. It is running once the constructor returns and is ended by the destructor.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& path,
                          const std::map<std::string, std::string>& environment = {},
                          const std::string& program = "sleep");
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

 private:
  long long id_ = 0;  // the process id on Linux, its handle on Windows
};

}  // namespace mirelda::test
