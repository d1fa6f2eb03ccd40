#include "sim/PrintFolder.h"

#include <filesystem>
#include <iostream>

#include "preview/LabelFiles.h"
#include "preview/LabelRenderer.h"

namespace qm::sim {

PrintFolder::PrintFolder(std::string folder)
    : folder_(std::move(folder)), renderer_(std::make_unique<preview::LabelRenderer>()) {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
}

PrintFolder::~PrintFolder() = default;

void PrintFolder::StoreImage(const std::string& name, const std::vector<uint8_t>& pcx) {
  std::string why;
  if (!renderer_->AddImage(name, pcx, &why)) std::cerr << "image " << name << ": " << why << "\n";
}

std::string PrintFolder::Print(const PrintedLabel& label) {
  std::string script;
  for (const std::string& command : label.commands) script += command + "\r";
  const preview::RenderResult result = renderer_->Render(script);
  for (const preview::ScriptError& error : result.errors) std::cerr << error.message << "\n";
  if (result.labels.empty()) return {};
  const preview::RenderedLabel& rendered = result.labels.back();
  // "P0" and "P1,0" print no paper.
  if (rendered.sets == 0 || rendered.copies == 0) return {};
  const std::string path =
      (std::filesystem::path(folder_) / preview::LabelFileName(++count_, rendered)).string();
  if (!preview::WriteLabelPng(rendered, path)) {
    std::cerr << "cannot write " << path << "\n";
    return {};
  }
  return path;
}

}  // namespace qm::sim
