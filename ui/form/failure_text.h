// The report of a failure that no handler catches: its caption and text. The front end shows them
// in a message box with an error icon and an OK button, and the program goes on.
#pragma once

#include <string>

namespace kx71 {

// The caption for a program file name: the name up to its first full stop, every letter after the
// first in lower case ("KX71-Tool.exe" gives "Kx71-tool"). A path before the name is left out.
std::string TitleFromFileName(const std::string& fileName);

// `message` with a full stop added when its last byte sorts after '.' (a letter, a digit, a
// Japanese character in UTF-8), but not after '.', ')' or '!'.
std::string WithFullStop(const std::string& message);

}  // namespace kx71
