// The port selector's list: "OFF" and then the machine's serial ports in port-number order.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kx71 {

// What RefreshCommList needs of a selector; the window's CommBox and a plain list in tests both serve.
class TCommList {
 public:
  virtual ~TCommList() = default;
  virtual std::string SelectedText() const = 0;                    // "" when nothing is selected
  virtual void Clear() = 0;                                        // remove all entries
  virtual void Assign(const std::vector<std::string>& items) = 0;  // replace all entries, in order
  virtual void Insert0(const std::string& item) = 0;               // insert at position 0
  virtual int IndexOfIgnoreCase(const std::string& text) const = 0;  // first equal entry, or -1
  virtual void Select(int index) = 0;
};

// The port names the machine offers ("COM3", ...), in no particular order, or nothing when the
// source cannot be read at all.
using TPortSource = std::function<std::optional<std::vector<std::string>>()>;

// This platform's port source.
std::optional<std::vector<std::string>> ListPortNames();

// Rebuilds `list` from `source` and selects the entry that was selected before (letter case
// ignored), else entry 0 "OFF". Raises EConvertError when a port name is not "COM" and a number
// (after the list has been left holding "OFF" alone).
void RefreshCommList(TCommList& list, const TPortSource& source = ListPortNames);

// -1, 0 or 1 as a's port number (the text after its first three characters) is smaller, equal or
// greater than b's; raises EConvertError when either is not a number.
int ComparePortNumbers(const std::string& a, const std::string& b);

}  // namespace kx71
