#include "port_discovery.h"

#include <algorithm>
#include <exception>

#include "text/int_text.h"

namespace kx71 {

int ComparePortNumbers(const std::string& a, const std::string& b) {
  // Names shorter than three characters leave an empty text, which is not a number.
  const std::int32_t na = StrToInt(a.size() > 3 ? std::string_view(a).substr(3) : std::string_view());
  const std::int32_t nb = StrToInt(b.size() > 3 ? std::string_view(b).substr(3) : std::string_view());
  return na > nb ? 1 : (na < nb ? -1 : 0);
}

void RefreshCommList(TCommList& list, const TPortSource& source) {
  std::string previous;
  std::exception_ptr failure;
  try {
    previous = list.SelectedText();
    list.Clear();
    if (auto names = source()) {
      // A single port needs no comparison, so it is listed whatever its name.
      if (names->size() > 1) {
        std::stable_sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
          return ComparePortNumbers(a, b) < 0;
        });
      }
      list.Assign(*names);
    }
  } catch (...) {
    failure = std::current_exception();
  }
  // Whatever happened above, the list ends with "OFF" first and a selection; a failure is passed
  // on only afterwards.
  list.Insert0("OFF");
  const int index = list.IndexOfIgnoreCase(previous);
  list.Select(index >= 0 ? index : 0);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kx71
