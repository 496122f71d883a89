// A TCommList over a plain vector, with a selection index like a drop-down list's.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "comm/port_discovery.h"

namespace kx71::test {

class PlainCommList : public TCommList {
 public:
  std::vector<std::string> items;
  int selected = -1;

  std::string SelectedText() const override {
    return selected >= 0 && selected < static_cast<int>(items.size()) ? items[selected] : std::string();
  }
  void Clear() override {
    items.clear();
    selected = -1;
  }
  void Assign(const std::vector<std::string>& list) override {
    items = list;
    selected = -1;
  }
  void Insert0(const std::string& item) override {
    items.insert(items.begin(), item);
    if (selected >= 0) ++selected;
  }
  int IndexOfIgnoreCase(const std::string& text) const override {
    auto lower = [](std::string s) {
      std::transform(s.begin(), s.end(), s.begin(),
                     [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
      return s;
    };
    for (std::size_t i = 0; i < items.size(); ++i)
      if (lower(items[i]) == lower(text)) return static_cast<int>(i);
    return -1;
  }
  void Select(int index) override { selected = index; }
};

}  // namespace kx71::test
