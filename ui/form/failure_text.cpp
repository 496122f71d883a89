#include "ui/form/failure_text.h"

#include <cctype>

namespace kx71 {

std::string TitleFromFileName(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  std::string title = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  if (const std::size_t dot = title.find('.'); dot != std::string::npos) title.resize(dot);
  for (std::size_t i = 1; i < title.size(); ++i) {
    title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
  }
  return title;
}

std::string WithFullStop(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + '.';
  return message;
}

}  // namespace kx71
