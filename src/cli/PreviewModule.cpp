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
// does not store come from files.
int RenderPreview(const std::string& script, const std::string& folder,
                  const std::vector<std::pair<std::string, std::string>>& images,
                  std::ostream& out, std::ostream& err) {
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
extern "C" int qm_cli_preview(const char* script, const char* folder, int imageCount,
                              const char* const* imageNames, const char* const* imageFiles,
                              QmCliWrite write, void* context) {
  std::vector<std::pair<std::string, std::string>> images;
  for (int i = 0; i < imageCount; ++i) images.emplace_back(imageNames[i], imageFiles[i]);
  std::ostringstream out, err;
  const int code = qm::cli::RenderPreview(script, folder, images, out, err);
  const std::string said = out.str(), complained = err.str();
  write(context, 1, said.data(), said.size());
  write(context, 2, complained.data(), complained.size());
  return code;
}
