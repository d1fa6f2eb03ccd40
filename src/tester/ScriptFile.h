#pragma once

#include <string>
#include <string_view>

namespace qm {

// What became of a file operation: ok, or the system's reason it failed
// ("Permission denied", "No such file or directory").
struct FileOutcome {
  bool ok = true;
  std::string reason;
};

// A saved script always ends with exactly one bare print command "P," on a
// line of its own, so sending the file later prints the label it describes
// once. A script whose last line already is that command (a saved file
// loaded again) is written as it stands, a CR added when the line has no
// end, so saving a loaded file again gives the same bytes.
std::string SavedScriptContents(std::string_view script);

// A loaded file as a script: its bytes up to the first zero byte (scripts
// are text; a zero byte marks where a binary tail starts), with every LF
// that has no CR before it made CR LF, the line end the printer reads.
struct LoadedScript {
  std::string script;
  size_t bytesUsed = 0;        // of the file, before its first zero byte
  size_t lineEndsChanged = 0;  // bare LFs that became CR LF
};
LoadedScript ScriptFromFileContents(std::string_view contents);

// Replaces the file at path with contents so that a failure at any point
// leaves the previous file as it was: the bytes go to a new file in the same
// folder, are flushed to disk, and only then is the new file renamed over the
// old one. The file keeps its permissions; a new file gets the usual ones. A
// file the operator may not write to is refused rather than replaced.
FileOutcome WriteFileAtomically(const std::string& path, std::string_view contents);

// Reads the whole file at path into contents.
FileOutcome ReadWholeFile(const std::string& path, std::string& contents);

}  // namespace qm
