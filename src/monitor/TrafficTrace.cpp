#include "monitor/TrafficTrace.h"

#include <nlohmann/json.hpp>

#include "link/PrinterPort.h"

namespace qm {
namespace {

const char* KindName(TrafficRecord::Kind kind) {
  switch (kind) {
    case TrafficRecord::Kind::Open:
      return "open";
    case TrafficRecord::Kind::Close:
      return "close";
    case TrafficRecord::Kind::Write:
      return "write";
    case TrafficRecord::Kind::Read:
      return "read";
    case TrafficRecord::Kind::Dropped:
      return "dropped";
  }
  return "";
}

const char* EndName(TrafficRecord::ReadEnd end) {
  switch (end) {
    case TrafficRecord::ReadEnd::Count:
      return "count";
    case TrafficRecord::ReadEnd::Gap:
      return "gap";
    case TrafficRecord::ReadEnd::Timeout:
      return "timeout";
    case TrafficRecord::ReadEnd::Failed:
      return "failed";
  }
  return "";
}

}  // namespace

TrafficTrace::TrafficTrace(PrinterPort& port, std::ostream& out, Form form)
    : port_(port), out_(out), form_(form) {
  // Each record is printed as it is made; the tap's bound only matters if
  // printing ever fell behind, and then says what it skipped.
  tap_.SetOnPush([this] { PrintTaken(); });
  port_.SetTrafficTap(&tap_);
}

TrafficTrace::~TrafficTrace() {
  if (port_.GetTrafficTap() == &tap_) port_.SetTrafficTap(nullptr);
}

void TrafficTrace::PrintTaken() {
  tap_.Take([this](std::span<const TrafficRecord> records) {
    for (const auto& record : records) out_ << Line(record) << '\n';
  });
  out_.flush();
}

std::string TrafficTrace::Line(const TrafficRecord& record) {
  const bool wasOpen = decoder_.PortOpen();
  const Meaning meaning = decoder_.Decode(record);
  const RowText text = times_.RecordText(record, meaning, wasOpen);
  if (form_ == Form::Text) return RowLine(text, false);

  // Every byte goes into JSON, as hex; the text column keeps the trace's
  // first bytes readable.
  nlohmann::json object{{"time", std::stod(text.time)}, {"kind", KindName(record.kind)}};
  if (record.kind == TrafficRecord::Kind::Write || record.kind == TrafficRecord::Kind::Read) {
    object["direction"] = record.kind == TrafficRecord::Kind::Write ? "to printer" : "from printer";
    object["asked"] = record.asked;
    object["done"] = record.done;
    object["hex"] = BytesAsHex(record.bytes.data(), record.bytes.size());
    object["text"] = BytesAsText(record.bytes.data(), record.bytes.size());
    object["waited_ms"] = double(record.waited.count()) / 1000.0;
  }
  if (record.kind == TrafficRecord::Kind::Read) object["ended_by"] = EndName(record.readEnd);
  if (record.kind == TrafficRecord::Kind::Write || record.kind == TrafficRecord::Kind::Open)
    object["result"] = record.result;
  if (record.kind == TrafficRecord::Kind::Open || record.kind == TrafficRecord::Kind::Close)
    object["for_one_transfer"] = record.perTransfer;
  if (!record.note.empty()) object["port"] = record.note;
  if (record.kind == TrafficRecord::Kind::Dropped) {
    object["records"] = record.count;
    object["bytes_to_printer"] = record.asked;
    object["bytes_from_printer"] = record.done;
  }
  if (!meaning.text.empty()) object["meaning"] = meaning.text;
  return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace qm
