#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qm::test {

// A CUPS scheduler of the test's own: configuration, state and a listening
// unix socket in a temporary folder, every operation open to anyone, and
// stand-in backends so that queues of any kind can be added without the
// real ones installed. Stopped and removed when destroyed.
class PrivateCupsd {
 public:
  ~PrivateCupsd();

  // Where the scheduler is installed; empty when it is not.
  static std::string SchedulerPath();

  // Starts it and waits until its socket takes connections. On failure
  // returns false and says why.
  bool Start(std::string& why);
  // Stops it; what it wrote to its error log is kept in `errorLog`.
  void Stop();

  // lpadmin against this scheduler: adds or changes a queue's device URI.
  bool SetQueue(const std::string& name, const std::string& deviceUri, std::string& why);
  bool DeleteQueue(const std::string& name, std::string& why);

  const std::string& socket() const { return socket_; }
  std::string errorLog;

 private:
  bool RunAdmin(const std::vector<std::string>& arguments, std::string& why);

  std::string dir_;
  std::string socket_;
  pid_t pid_ = -1;
};

}  // namespace qm::test
