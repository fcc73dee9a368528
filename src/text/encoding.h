// Conversions between the system's own texts (code page 936, GBK), UTF-8 and UTF-16.
// Every boundary of the system goes through these: files, console, editor, terminal.
// They never fail: a character code page 936 cannot hold becomes "?", a malformed UTF-8
// sequence becomes one U+FFFD, as the Windows conversion functions do.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (shortest forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);
// True when the bytes hold at least one byte of 0x80 or more.
bool HasNonAscii(std::string_view bytes);

// The system's texts in the platform's own encoding and back: code page 936 on Windows
// (the bytes unchanged), UTF-8 elsewhere. Console lines and terminal output use these.
std::string GbkToNative(std::string_view gbk);
std::string NativeToGbk(std::string_view native);

}  // namespace lingqiao
