#include "cli/PortRunner.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <ostream>
#include <streambuf>
#include <thread>

#include "cli/PrinterConnection.h"
#include "monitor/TrafficTrace.h"

namespace qm::cli {
namespace {

// Every whole line of every port goes out under this one lock.
std::mutex& LineLock() {
  static std::mutex lock;
  return lock;
}

// Swallows what it is given: the text report of a --json run.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c == EOF ? 0 : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

class PrefixedLines::Buffer : public std::streambuf {
 public:
  Buffer(std::ostream& target, std::string prefix) : target_(target), prefix_(std::move(prefix)) {}
  ~Buffer() override {
    if (!line_.empty()) Emit();
  }

 protected:
  int overflow(int c) override {
    if (c == EOF) return 0;
    line_ += char(c);
    if (c == '\n') Emit();
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize n) override {
    for (std::streamsize i = 0; i < n; ++i) overflow((unsigned char)data[i]);
    return n;
  }

 private:
  void Emit() {
    std::lock_guard lock(LineLock());
    target_ << prefix_ << line_;
    target_.flush();
    line_.clear();
  }
  std::ostream& target_;
  std::string prefix_;
  std::string line_;
};

PrefixedLines::PrefixedLines(std::ostream& target, std::string prefix)
    : buffer_(std::make_unique<Buffer>(target, std::move(prefix))),
      stream_(std::make_unique<std::ostream>(buffer_.get())) {}

PrefixedLines::~PrefixedLines() {
  stream_.reset();
  buffer_.reset();
}

std::ostream& PrefixedLines::Stream() { return *stream_; }

nlohmann::ordered_json BytesJson(const uint8_t* bytes, size_t count) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (size_t i = 0; i < count; ++i) list.push_back(bytes[i]);
  return list;
}

namespace {

nlohmann::ordered_json RunOnePort(const std::string& name, const LineOptions& line,
                          const PortOperation& operation, Streams streams, bool prefixed) {
  const std::string prefix = prefixed ? name + ": " : "";
  NullBuffer nothing;
  std::ostream dropped(&nothing);
  PrefixedLines out(line.json ? dropped : streams.out, prefix);
  PrefixedLines err(streams.err, prefix);
  PortResult result;
  {
    PrinterConnection connection(name, line, err.Stream());
    std::optional<TrafficTrace> trace;
    if (line.trace)
      trace.emplace(connection.Port(), err.Stream(),
                    line.json ? TrafficTrace::Form::Json : TrafficTrace::Form::Text);
    if (connection.Open()) {
      PortSession session{name,      connection.Port(), connection.GetClock(), connection.Prompter(),
                          out.Stream(), err.Stream()};
      result = operation(session);
      connection.Close();  // while the trace still listens
    } else {
      // Alone, the port's name is not in front of the line yet.
      err.Stream() << (prefixed ? "" : name + ": ") << connection.OpenFailure() << "\n";
      result.code = kCannotOpen;
      result.json["error"] = connection.OpenFailure();
    }
  }  // the connection waits for its last bytes to leave before the report
  nlohmann::ordered_json report = {{"port", name}, {"exit", result.code}};
  report.update(result.json);
  return report;
}

}  // namespace

int RunOnPorts(const LineOptions& line, const PortOperation& operation, Streams streams) {
  const size_t count = line.ports.size();
  std::vector<nlohmann::ordered_json> reports(count);
  const bool prefixed = count > 1;
  if (count == 1) {
    reports[0] = RunOnePort(line.ports[0], line, operation, streams, false);
  } else {
    std::vector<std::thread> threads;
    for (size_t i = 0; i < count; ++i)
      threads.emplace_back([&, i] {
        reports[i] = RunOnePort(line.ports[i], line, operation, streams, prefixed);
      });
    for (std::thread& thread : threads) thread.join();
  }
  int worst = kDone;
  for (const nlohmann::ordered_json& report : reports) {
    worst = std::max(worst, report["exit"].get<int>());
    if (line.json) streams.out << report.dump() << "\n";
  }
  return worst;
}

}  // namespace qm::cli
