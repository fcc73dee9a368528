// Putting one argument into a console line so that it arrives as exactly that word.
//
// Two readers stand between a console line and the device: the PC's interpreter (cmd, or our
// console host, which follows cmd's rules) and then, for shell commands, the device's own
// shell, to which adb hands its arguments joined by blanks with no quoting of its own.
// Plain words pass both unchanged, so ordinary command lines stay byte for byte as they were.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

// Letters, digits and . / : _ - , + = @ % (non-empty): nothing to quote for either reader.
bool IsPlainWord(std::string_view word);

// For the device's POSIX shell: plain words as they are, anything else in single quotes with
// each ' written '\''.
std::string QuoteForDeviceShell(std::string_view word);

// Only the ' inside a text that the caller puts between single quotes of its own.
std::string EscapeInsideSingleQuotes(std::string_view text);

// For the PC's interpreter and the program's argument splitting (CommandLineToArgvW rules):
// the word is put in double quotes where blanks or quotes need it, and every character that
// the interpreter would act on (& | < > ^ ( ) " and a % that could start a %NAME%) is escaped
// with ^. The line must not be inside an interpreter quote where the word starts. GBK
// double-byte characters are never split.
std::string QuoteForInterpreter(std::string_view word);

// A text or name for a device shell command: first for the device, then for the interpreter.
std::string QuoteDeviceWord(std::string_view word);

// A coordinate: made only of digits, signs, dots and blanks it passes as it is (the device's
// shell drops extra blanks); anything else is quoted like a device word, and the device's
// input tool then refuses it.
std::string QuoteCoordinate(std::string_view value);

}  // namespace lingqiao
