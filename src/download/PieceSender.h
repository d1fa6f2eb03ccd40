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
};

// Writes `total` bytes from `source`: every full piece, each followed by
// `onPiece`, then the remainder (a write of 0 bytes when there is none).
// Stops at the first failed write or short read.
SendResult SendInPieces(PrinterPort& port, ByteSource& source, uint64_t total,
                        const std::function<void()>& onPiece);

}  // namespace qm
