// The preview subcommand's renderer, built as a module that quillmark-cli
// loads only when asked to preview: the renderer brings Qt's GUI library,
// FreeType, fontconfig and libzint, whose loading would otherwise slow every
// other subcommand's start (a firmware conversion most of all).
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/PreviewModule.h"
#include "preview/LabelFiles.h"
#include "preview/LabelRenderer.h"

namespace qm::cli {

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

// Renders a label script to one PNG per printed label and lists its errors
// by line, as the tester's preview shows them. Images the script recalls but
// does not store can be given with --image NAME=FILE.pcx.
int RenderPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string script;
  std::string folder = ".";
  std::vector<std::pair<std::string, std::string>> images;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--image") {
      if (i + 1 == args.size()) {
        err << "quillmark-cli preview: " << arg << " needs a value\n";
        return 2;
      }
      const std::string& value = args[++i];
      const size_t equals = value.find('=');
      if (arg == "-o") {
        folder = value;
      } else if (equals == std::string::npos || equals == 0) {
        err << "quillmark-cli preview: --image wants NAME=FILE, not '" << value << "'\n";
        return 2;
      } else {
        images.emplace_back(value.substr(0, equals), value.substr(equals + 1));
      }
    } else if (script.empty() && !arg.starts_with('-')) {
      script = arg;
    } else {
      err << "quillmark-cli preview: unexpected '" << arg << "'\n";
      return 2;
    }
  }
  if (script.empty()) {
    err << "quillmark-cli preview: which script? (preview SCRIPT [-o DIR])\n";
    return 2;
  }

  preview::LabelRenderer renderer;
  for (const auto& [name, path] : images) {
    std::vector<uint8_t> pcx;
    std::string why;
    if (!ReadFile(path, pcx)) {
      err << "quillmark-cli preview: cannot read " << path << "\n";
      return 1;
    }
    if (!renderer.AddImage(name, pcx, &why)) {
      err << path << ": " << why << "\n";
      return 1;
    }
  }
  std::vector<uint8_t> bytes;
  if (!ReadFile(script, bytes)) {
    err << "quillmark-cli preview: cannot read " << script << "\n";
    return 1;
  }
  const preview::RenderResult result = renderer.Render(bytes);
  for (const preview::ScriptError& error : result.errors) {
    err << script << ":" << error.line << ": " << error.message << "\n";
  }

  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  int number = 0;
  for (const preview::RenderedLabel& label : result.labels) {
    if (!label.printed) {
      err << script << ":" << label.line << ": " << preview::kNotPrintedNote << "\n";
      continue;
    }
    const std::string path =
        (std::filesystem::path(folder) / preview::LabelFileName(++number, label)).string();
    if (!preview::WriteLabelPng(label, path)) {
      err << "quillmark-cli preview: cannot write " << path << "\n";
      return 1;
    }
    out << path << ": " << label.image.width() << " x " << label.image.height() << " dots, "
        << label.sets << " x " << label.copies << " copies\n";
  }
  if (number == 0) err << script << ": no label printed\n";
  return result.errors.empty() && number > 0 ? 0 : 1;
}

}  // namespace
}  // namespace qm::cli

// Only plain C crosses the boundary: the program and the module may each
// carry their own C++ runtime.
extern "C" int qm_cli_preview(int argc, const char* const* argv, QmCliWrite write, void* context) {
  std::vector<std::string> args(argv, argv + argc);
  std::ostringstream out, err;
  const int code = qm::cli::RenderPreview(args, out, err);
  const std::string said = out.str(), complained = err.str();
  write(context, 1, said.data(), said.size());
  write(context, 2, complained.data(), complained.size());
  return code;
}
