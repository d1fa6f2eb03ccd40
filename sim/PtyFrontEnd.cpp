#include "sim/PtyFrontEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace qm::sim {

namespace {

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

PtyFrontEnd::PtyFrontEnd(FrontEndOptions options)
    : options_(std::move(options)), lineRate_(options_.baud), replyRate_(options_.baud) {}

PtyFrontEnd::~PtyFrontEnd() {
  Stop();
  ClosePty();
  CloseFd(stopRead_);
  CloseFd(stopWrite_);
  RemoveLink();
}

bool PtyFrontEnd::Open(std::string& error) {
  std::array<int, 2> stopPipe{};
  if (::pipe2(stopPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    error = SystemError("pipe");
    return false;
  }
  stopRead_ = stopPipe[0];
  stopWrite_ = stopPipe[1];

  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) {
    error = SystemError("posix_openpt");
    return false;
  }
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = SystemError("grantpt/unlockpt");
    return false;
  }
  std::array<char, PATH_MAX> name{};
  if (::ptsname_r(master_, name.data(), name.size()) != 0) {
    error = SystemError("ptsname");
    return false;
  }
  slavePath_ = name.data();
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = SystemError("open " + slavePath_);
    return false;
  }
  // A printer's line carries bytes untouched: no echo, no CR/LF translation,
  // no signal or flow-control characters, no line editing.
  termios raw{};
  if (::tcgetattr(slave_, &raw) != 0) {
    error = SystemError("tcgetattr");
    return false;
  }
  ::cfmakeraw(&raw);
  if (::tcsetattr(slave_, TCSANOW, &raw) != 0) {
    error = SystemError("tcsetattr");
    return false;
  }
  // Replies go out through a queue, so a tool that never reads cannot block
  // the loop.
  if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
    error = SystemError("fcntl");
    return false;
  }
  if (!options_.logPath.empty() && !log_.Open(options_.logPath, error)) return false;
  return options_.linkPath.empty() || CreateLink(error);
}

bool PtyFrontEnd::CreateLink(std::string& error) {
  const std::string& link = options_.linkPath;
  struct stat info {};
  if (::lstat(link.c_str(), &info) == 0) {
    // A link left by an earlier run is replaced; anything else is not ours.
    if (!S_ISLNK(info.st_mode)) {
      error = link + " exists and is not a symbolic link";
      return false;
    }
    ::unlink(link.c_str());
  }
  if (::symlink(slavePath_.c_str(), link.c_str()) != 0) {
    error = SystemError("symlink " + link);
    return false;
  }
  linkCreated_ = true;
  return true;
}

void PtyFrontEnd::RemoveLink() {
  if (!linkCreated_) return;
  std::array<char, PATH_MAX> target{};
  const ssize_t n = ::readlink(options_.linkPath.c_str(), target.data(), target.size() - 1);
  // Leave the link alone if another printer has taken it over meanwhile.
  if (n > 0 && std::string(target.data(), static_cast<size_t>(n)) == slavePath_) {
    ::unlink(options_.linkPath.c_str());
  }
  linkCreated_ = false;
}

void PtyFrontEnd::Start() {
  thread_ = std::thread([this] { Run(); });
}

void PtyFrontEnd::RequestStop() {
  if (stopWrite_ < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(stopWrite_, &byte, 1);
}

void PtyFrontEnd::Stop() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

void PtyFrontEnd::Run() {
  std::vector<uint8_t> outbox;
  while (master_ >= 0) {
    const short wanted = static_cast<short>(POLLIN | (outbox.empty() ? 0 : POLLOUT));
    std::array<pollfd, 2> fds{{{master_, wanted, 0}, {stopRead_, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) break;
    if (fds[0].revents & POLLOUT) Flush(outbox);
    if (fds[0].revents & POLLIN) {
      ReceiveChunk(outbox);
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      // Cannot happen while our own slave descriptor is open; leave rather
      // than spin if it does.
      break;
    }
  }
  std::lock_guard lock(mutex_);
  finished_ = true;
  receivedChanged_.notify_all();
}

void PtyFrontEnd::ReceiveChunk(std::vector<uint8_t>& outbox) {
  std::array<uint8_t, 4096> buffer{};
  size_t limit = lineRate_.ChunkLimit(buffer.size());
  if (options_.hangupAfter) {
    // Take no byte past the hang-up point off the line.
    limit = std::min<uint64_t>(limit, *options_.hangupAfter - received_);
  }
  const ssize_t n = ::read(master_, buffer.data(), limit);
  if (n <= 0) return;  // EAGAIN or EINTR: poll again
  const std::span<const uint8_t> chunk(buffer.data(), static_cast<size_t>(n));

  if (lineRate_.Paced()) {
    if (!WaitUntil(lineRate_.Take(chunk.size(), LineRate::Clock::now(), lineQueued_))) return;
    // Bytes already waiting now were on the line while these arrived.
    int waiting = 0;
    lineQueued_ = ::ioctl(master_, FIONREAD, &waiting) == 0 && waiting > 0;
  }
  log_.Received(chunk);
  std::vector<uint8_t> replies;
  int64_t busyMs = 0;
  bool goDead = false;
  {
    std::lock_guard lock(mutex_);
    replies = printer_.Feed(chunk);
    busyMs = printer_.TakeReplyDelayMs();
    goDead = printer_.TakeHangUp();
    received_ += chunk.size();
    if (!awaited_.empty() && received_ >= *awaited_.begin()) receivedChanged_.notify_all();
  }
  if (goDead) {
    HangUp();
    return;
  }
  // A busy printer (feeding media for a scan) answers when it is done.
  if (busyMs > 0 && !WaitUntil(LineRate::Clock::now() + std::chrono::milliseconds(busyMs))) return;
  log_.Sent(replies);
  if (replyRate_.Paced()) {
    SendPaced(replies, outbox);
  } else {
    outbox.insert(outbox.end(), replies.begin(), replies.end());
    Flush(outbox);
  }

  if (options_.hangupAfter && received_ >= *options_.hangupAfter) HangUp();
}

bool PtyFrontEnd::WaitUntil(LineRate::Clock::time_point when) const {
  for (;;) {
    const auto now = LineRate::Clock::now();
    if (now >= when) return true;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(when - now);
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    pollfd stop{stopRead_, POLLIN, 0};
    const int ready = ::ppoll(&stop, 1, &timeout, nullptr);
    if (ready > 0) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
}

void PtyFrontEnd::Flush(std::vector<uint8_t>& outbox) {
  while (!outbox.empty()) {
    const ssize_t n = ::write(master_, outbox.data(), outbox.size());
    if (n <= 0) return;  // the tool is not reading: try again when POLLOUT says so
    outbox.erase(outbox.begin(), outbox.begin() + n);
  }
}

void PtyFrontEnd::SendPaced(const std::vector<uint8_t>& reply, std::vector<uint8_t>& outbox) {
  for (uint8_t byte : reply) {
    if (!WaitUntil(replyRate_.Take(1, LineRate::Clock::now()))) return;
    outbox.push_back(byte);
    Flush(outbox);
  }
}

void PtyFrontEnd::HangUp() {
  ClosePty();
  hungUp_ = true;
}

void PtyFrontEnd::ClosePty() {
  CloseFd(master_);
  CloseFd(slave_);
}

uint64_t PtyFrontEnd::ReceivedCount() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool PtyFrontEnd::WaitForReceived(uint64_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  const auto awaiting = awaited_.insert(count);
  receivedChanged_.wait_for(lock, timeout, [&] { return received_ >= count || finished_; });
  awaited_.erase(awaiting);
  return received_ >= count;
}

}  // namespace qm::sim
