#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class PrinterPort;

// Bulk data goes out in writes of this size; a busy printer takes each one
// within the download time-outs.
inline constexpr uint32_t kPieceSize = 500;

// Where a download's bytes come from: a converted image in memory or a file
// read piece by piece, so a large file is never held whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to `count` bytes; fewer only at the end or on a read error.
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  size_t Read(uint8_t* buffer, size_t count) override;

 private:
  const std::vector<uint8_t>& bytes_;
  size_t offset_ = 0;
};

class FileSource : public ByteSource {
 public:
  // Opens `path` for reading; nothing when it cannot be opened (gone, locked,
  // a folder). The size is the file's length at this moment.
  static std::unique_ptr<FileSource> Open(const std::string& path);
  ~FileSource() override;
  uint64_t Size() const { return size_; }
  size_t Read(uint8_t* buffer, size_t count) override;

 private:
  FileSource(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  uint64_t size_;
};

enum class SendResult {
  Sent,
  WriteFailed,  // the port said so (it has shown its message)
  ReadFailed,   // the source ended before `total` bytes: the file shrank or broke
  Stopped,      // the operator stopped it between two pieces
};

// What a running download tells its window, and asks it.
struct DownloadEvents {
  // A full piece went out; `sent` counts the file's (or image's) bytes sent
  // so far, the piece included.
  std::function<void(uint64_t sent)> piece;
  // A new stage began: the status line's text.
  std::function<void(const std::string&)> stage;
  // Asked after each full piece: true ends the download there.
  std::function<bool()> stop;
  // During a long wait, once a second: the whole seconds still to wait.
  std::function<void(int secondsLeft)> waiting;
};

// Writes `total` bytes from `source`: every full piece, each followed by
// the piece event and the stop question, then the remainder (a write of 0
// bytes when there is none). Stops at the first failed write or short read.
// `before` counts bytes of the same file already sent another way.
SendResult SendInPieces(PrinterPort& port, ByteSource& source, uint64_t total,
                        const DownloadEvents& events, uint64_t before = 0);

}  // namespace qm
