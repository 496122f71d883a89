// A temporary directory tree for fake device maps, /dev and sysfs; removed with the object.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pty_line.h"

namespace kx71::test {

class TempTree {
 public:
  TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kx71-disc-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    root_ = pattern;
  }
  ~TempTree() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path operator/(const std::string& rel) const { return root_ / rel; }

  std::filesystem::path Dir(const std::string& rel) const {
    std::filesystem::create_directories(root_ / rel);
    return root_ / rel;
  }
  // A plain file standing in for a device node (or a sysfs attribute holding `text`).
  std::filesystem::path File(const std::string& rel, const std::string& text = "") const {
    std::filesystem::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel) << text;
    return root_ / rel;
  }
  // A real terminal (a pseudo-terminal's slave, held open while the tree lives) for links to point at.
  std::filesystem::path Terminal() {
    const std::string link = (Dir("terminals") / ("COM" + std::to_string(terminals_.size() + 1))).string();
    terminals_.push_back(std::make_unique<TPtyLine>(link, true));
    return terminals_.back()->Device();
  }
  std::filesystem::path Link(const std::string& rel, const std::filesystem::path& target) const {
    std::filesystem::create_directories((root_ / rel).parent_path());
    std::filesystem::create_symlink(target, root_ / rel);
    return root_ / rel;
  }

 private:
  std::filesystem::path root_;
  std::vector<std::unique_ptr<TPtyLine>> terminals_;
};

}  // namespace kx71::test
