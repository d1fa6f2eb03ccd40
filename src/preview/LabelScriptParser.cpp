#include "preview/LabelScriptParser.h"

#include <algorithm>
#include <array>

#include "preview/LabelCommandFields.h"

namespace qm::preview {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kQuote = '\'';
constexpr uint8_t kEscape = '\\';

bool IsLineEnd(uint8_t byte) {
  return byte == kCr || byte == kLf;
}

// Command names, longer ones first so "B1" is not taken for something else.
constexpr std::array<std::string_view, 15> kNames{"B1", "B2", "BD", "SS", "SD", "SO", "SW", "SL",
                                                  "SM", "CS", "IS", "IR", "T",  "V",  "P"};

// The name at the start of `input`: found, not found, or the input is a
// prefix of a name that may still arrive.
struct NameMatch {
  std::string_view name;
  bool partial = false;
};

NameMatch MatchName(std::span<const uint8_t> input) {
  bool partial = false;
  for (std::string_view name : kNames) {
    const size_t n = std::min(input.size(), name.size());
    if (!std::equal(input.begin(), input.begin() + static_cast<ptrdiff_t>(n), name.begin(),
                    [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); })) {
      continue;
    }
    if (n == name.size()) return {name, false};
    partial = true;
  }
  return {{}, partial};
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// "IS" n,'name' and its payload.
CommandExtent FindImageStore(std::span<const uint8_t> input, bool atEnd) {
  size_t pos = 2;
  size_t size = 0;
  bool digits = false;
  while (pos < input.size() && input[pos] >= '0' && input[pos] <= '9') {
    size = std::min(size * 10 + (input[pos] - '0'), kMaxImageBytes + 1);
    digits = true;
    ++pos;
  }
  // A header that cannot announce a payload ends at its line end like any
  // other malformed command.
  auto toLineEnd = [&]() -> CommandExtent {
    const auto end =
        std::find_if(input.begin() + static_cast<ptrdiff_t>(pos), input.end(), IsLineEnd);
    if (end == input.end() && !atEnd) return {CommandExtent::Kind::NeedMore, 0};
    return {CommandExtent::Kind::Complete, static_cast<size_t>(end - input.begin())};
  };
  if (pos == input.size()) {
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore, 0};
  }
  if (!digits || size > kMaxImageBytes || input[pos] != ',') return toLineEnd();
  ++pos;
  if (pos == input.size())
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore};
  if (input[pos] != kQuote) return toLineEnd();
  ++pos;
  while (pos < input.size() && input[pos] != kQuote) {
    if (IsLineEnd(input[pos])) return toLineEnd();
    if (input[pos] == kEscape) ++pos;
    ++pos;
  }
  if (pos >= input.size())
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore};
  ++pos;  // the closing quote
  if (input.size() - pos < size) {
    if (!atEnd) return {CommandExtent::Kind::NeedMore, 0};
    return {CommandExtent::Kind::Complete, input.size()};
  }
  return {CommandExtent::Kind::Complete, pos + size};
}

}  // namespace

CommandExtent FindCommand(std::span<const uint8_t> input, bool atEnd) {
  const NameMatch match = MatchName(input);
  if (match.name.empty()) {
    if (match.partial && !atEnd) return {CommandExtent::Kind::NeedMore, 0};
    // A lone prefix at the end of a file ("S") is a line of its own.
    return {CommandExtent::Kind::NotLabel, 0};
  }
  if (match.name == "IS") return FindImageStore(input, atEnd);

  // Only 2D data may hold line ends; anywhere else a line end ends the
  // command, quote or not.
  const bool multiLine = match.name == "B2";
  const bool twoByte = TwoByteText(match.name, AsText(input.subspan(match.name.size())));
  bool quoted = false;
  size_t quoteStart = 0;
  for (size_t pos = match.name.size(); pos < input.size(); ++pos) {
    const uint8_t byte = input[pos];
    // An escape or a lead byte takes the next byte along, but never a line
    // end: that still ends the command.
    if (quoted && (byte == kEscape || (twoByte && byte >= 0x80)) && pos + 1 < input.size() &&
        !IsLineEnd(input[pos + 1])) {
      ++pos;
      continue;
    }
    if (byte == kQuote) {
      quoted = !quoted;
      quoteStart = pos;
      continue;
    }
    if (!IsLineEnd(byte)) continue;
    if (quoted && multiLine && pos - quoteStart <= kMaxMultiLineData) continue;
    if (quoted && multiLine) {
      // Given up: the command is the first line, and the rest is script.
      const auto end =
          std::find_if(input.begin() + static_cast<ptrdiff_t>(quoteStart), input.end(), IsLineEnd);
      return {CommandExtent::Kind::Complete, static_cast<size_t>(end - input.begin())};
    }
    return {CommandExtent::Kind::Complete, pos};
  }
  if (!atEnd) return {CommandExtent::Kind::NeedMore, 0};
  return {CommandExtent::Kind::Complete, input.size()};
}

ParseOutcome ParseCommand(std::span<const uint8_t> bytes) {
  const std::string_view text = AsText(bytes);
  const NameMatch match = MatchName(bytes);
  if (match.name.empty()) return {std::nullopt, "unknown command"};
  try {
    if (match.name == "IS") return {ParseImageStore(text), {}};
    if (match.name == "B2") {
      // A given-up multi-line quote ends at the first line end.
      const size_t quote = text.find('\'');
      if (quote != std::string_view::npos) {
        const std::string_view rest = text.substr(quote);
        bool closed = false;
        for (size_t i = 1; i < rest.size(); ++i) {
          if (rest[i] == '\\') {
            ++i;
          } else if (rest[i] == '\'') {
            closed = true;
            break;
          }
        }
        if (!closed) return {std::nullopt, "unterminated quote"};
      }
    } else if (text.find_first_of("\r\n") != std::string_view::npos) {
      return {std::nullopt, "line end inside the command"};
    }
    return {ParseFields(match.name, text.substr(match.name.size())), {}};
  } catch (const Failure& failure) {
    return {std::nullopt, failure.message};
  }
}

ParsedScript ParseScript(std::string_view script) {
  return ParseScript(std::span(reinterpret_cast<const uint8_t*>(script.data()), script.size()));
}

ParsedScript ParseScript(std::span<const uint8_t> script) {
  ParsedScript parsed;
  // Room for a command a line from the start: grown step by step, the list
  // of a 100,000-line script was moved and brought into fresh memory again
  // and again, which took longer than parsing it.
  const auto lineEnds = std::max(std::count(script.begin(), script.end(), kLf),
                                 std::count(script.begin(), script.end(), kCr));
  parsed.commands.reserve(static_cast<size_t>(lineEnds) + 1);
  int line = 1;
  size_t pos = 0;
  // Counts the line ends in [from, to): CR LF is one.
  auto countLines = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (script[i] == kCr && i + 1 < script.size() && script[i + 1] == kLf) ++i;
      if (IsLineEnd(script[i])) ++line;
    }
  };
  while (pos < script.size()) {
    if (IsLineEnd(script[pos])) {
      const size_t next = (script[pos] == kCr && pos + 1 < script.size() && script[pos + 1] == kLf)
                              ? pos + 2
                              : pos + 1;
      ++line;
      pos = next;
      continue;
    }
    const std::span<const uint8_t> rest = script.subspan(pos);
    const CommandExtent extent = FindCommand(rest, true);
    size_t length = extent.length;
    if (extent.kind != CommandExtent::Kind::Complete) {
      length =
          static_cast<size_t>(std::find_if(rest.begin(), rest.end(), IsLineEnd) - rest.begin());
      const std::string_view text = AsText(rest.first(length));
      // Commands of the other families (status and memory banks "^", RFID
      // ">", the image list and delete) are not label content; leave them.
      const bool otherFamily = text.starts_with('^') || text.starts_with('>') ||
                               text.starts_with("ID") || text.starts_with("II") || text == "CPS" ||
                               text.find_first_not_of(" \t") == text.npos;
      if (!otherFamily) {
        std::string shown(text.substr(0, 40));
        parsed.errors.push_back({line, "Syntax Error: unknown command '" + shown + "'", pos});
      }
    } else {
      ParseOutcome outcome = ParseCommand(rest.first(length));
      if (outcome.command) {
        parsed.commands.push_back({std::move(*outcome.command), line, pos});
      } else {
        parsed.errors.push_back({line, "Syntax Error: " + outcome.error, pos});
      }
    }
    // An image's bytes are not lines of the script.
    if (!AsText(rest).starts_with("IS")) countLines(pos, pos + length);
    pos += length;
  }
  return parsed;
}

std::string_view CommandName(const Command& command) {
  static constexpr std::array<std::string_view, std::variant_size_v<Command>> kByIndex{
      "SS", "SD", "SO", "SW", "SL", "SM", "T", "V", "B1", "B2", "BD", "CS", "P", "IS", "IR"};
  return kByIndex[command.index()];
}

}  // namespace qm::preview
