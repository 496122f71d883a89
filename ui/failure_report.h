// The report of a failure that no handler catches: an error message box, after which the program
// goes on.
#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace kx71 {

// The caption for a program file name: the name up to its first full stop, every letter after the
// first in lower case ("KX71-Tool.exe" gives "Kx71-tool").
QString TitleFromFileName(const QString& fileName);

// The application's title: TitleFromFileName of the running program's file.
QString ApplicationTitle();

// `message` with a full stop added when its last character sorts after '.' (a letter, a digit, a
// Japanese character), but not after '.', ')' or '!'.
QString WithFullStop(const QString& message);

// Shows `message` (after WithFullStop) in a modal message box: error icon, OK button, the
// application's title as its caption. Returns when the user has closed it.
void ShowFailure(const QString& message);

// The message of the exception being handled (call inside a catch block).
QString CurrentExceptionMessage();

// Runs `fn`; a failure escaping it is shown by ShowFailure (once the exception is left behind) and
// goes no further.
template <class Fn>
void Guarded(Fn&& fn) {
  QString failure;
  bool failed = false;
  try {
    std::forward<Fn>(fn)();
  } catch (...) {
    failure = CurrentExceptionMessage();
    failed = true;
  }
  if (failed) ShowFailure(failure);
}

}  // namespace kx71
