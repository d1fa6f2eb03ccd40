#include "download/PieceSender.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "link/PrinterPort.h"

namespace qm {

size_t MemorySource::Read(uint8_t* buffer, size_t count) {
  const size_t n = std::min(count, bytes_.size() - offset_);
  if (n > 0) std::memcpy(buffer, bytes_.data() + offset_, n);
  offset_ += n;
  return n;
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path) {
  if (path.empty()) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<FileSource>(new FileSource(file, uint64_t(info.st_size)));
}

FileSource::~FileSource() {
  std::fclose(file_);
}

size_t FileSource::Read(uint8_t* buffer, size_t count) {
  return std::fread(buffer, 1, count, file_);
}

SendResult SendInPieces(PrinterPort& port, ByteSource& source, uint64_t total,
                        const DownloadEvents& events, uint64_t before) {
  std::array<uint8_t, kPieceSize> piece{};
  uint64_t left = total;
  for (bool first = true;; first = false) {
    const auto n = uint32_t(std::min<uint64_t>(left, kPieceSize));
    if (source.Read(piece.data(), n) != n) return SendResult::ReadFailed;
    const std::span bytes(piece.data(), n);
    if (!(first ? port.Write(bytes) : port.WritePiece(bytes))) return SendResult::WriteFailed;
    left -= n;
    if (n < kPieceSize) return SendResult::Sent;
    if (events.piece) events.piece(before + total - left);
    // Only between pieces: every piece the printer starts on arrives whole.
    if (events.stop && events.stop()) return SendResult::Stopped;
  }
}

}  // namespace qm
