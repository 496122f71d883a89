#include "ui/win32/text_wrap.h"

namespace kx71 {
namespace {

void WrapParagraph(std::wstring_view para, int width, const std::function<int(std::wstring_view)>& measure,
                   std::vector<std::wstring>& out) {
  if (para.empty()) {
    out.emplace_back();
    return;
  }
  while (!para.empty()) {
    if (measure(para) <= width) {
      out.emplace_back(para);
      return;
    }
    // The longest head that fits; then back to its last space, if it has one.
    std::size_t fit = 0;
    while (fit < para.size() && measure(para.substr(0, fit + 1)) <= width) ++fit;
    std::size_t cut = fit;
    const std::size_t space = para.substr(0, fit + 1).find_last_of(L' ');
    if (space != std::wstring_view::npos && space > 0) cut = space;
    if (cut == 0) cut = 1;  // not even one character fits: show it anyway rather than loop
    std::wstring_view line = para.substr(0, cut);
    while (!line.empty() && line.back() == L' ') line.remove_suffix(1);
    out.emplace_back(line);
    para.remove_prefix(cut);
    while (!para.empty() && para.front() == L' ') para.remove_prefix(1);
  }
}

}  // namespace

std::vector<std::wstring> WrapLines(std::wstring_view text, int width,
                                    const std::function<int(std::wstring_view)>& measure) {
  std::vector<std::wstring> lines;
  while (true) {
    const std::size_t end = text.find(L'\n');
    std::wstring_view para = text.substr(0, end);
    if (!para.empty() && para.back() == L'\r') para.remove_suffix(1);
    WrapParagraph(para, width, measure, lines);
    if (end == std::wstring_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace kx71
