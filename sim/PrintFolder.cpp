#include "sim/PrintFolder.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "preview/LabelFiles.h"
#include "preview/LabelRenderer.h"

namespace qm::sim {

namespace {

// The number of a printed label's file ("label-0003-6-copies.png" is 3), or 0
// for any other file.
int LabelNumber(const std::string& name) {
  constexpr std::string_view kPrefix = "label-";
  if (!name.starts_with(kPrefix) || !name.ends_with(".png")) return 0;
  const size_t digits = name.find_first_not_of("0123456789", kPrefix.size());
  if (digits == kPrefix.size() || digits == std::string::npos || name[digits] != '-' ||
      digits - kPrefix.size() > 9)
    return 0;
  return std::stoi(name.substr(kPrefix.size(), digits - kPrefix.size()));
}

}  // namespace

PrintFolder::PrintFolder(std::string folder)
    : folder_(std::move(folder)), renderer_(std::make_unique<preview::LabelRenderer>()) {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  // Labels printed before (an earlier run on the same folder) keep their
  // files: numbering goes on after the highest one.
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec))
    count_ = std::max(count_, LabelNumber(entry.path().filename().string()));
}

PrintFolder::~PrintFolder() = default;

std::string PrintFolder::Print(const PrintedLabel& label,
                               const std::map<std::string, std::vector<uint8_t>>& images) {
  // The printer's image memory as it stands now: deleted images are gone.
  renderer_->ForgetImages();
  for (const auto& [name, pcx] : images) {
    std::string why;
    if (!renderer_->AddImage(name, pcx, &why)) std::cerr << "image " << name << ": " << why << "\n";
  }
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
