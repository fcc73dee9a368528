#include <windows.h>

#include "text/encoding.h"

namespace lingqiao {

std::u16string GbkToUtf16(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int len = static_cast<int>(gbk.size());
  const int n = MultiByteToWideChar(936, 0, gbk.data(), len, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(936, 0, gbk.data(), len, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(utf16.data());
  const int len = static_cast<int>(utf16.size());
  const int n = WideCharToMultiByte(936, 0, w, len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, w, len, out.data(), n, nullptr, nullptr);
  return out;
}

// The console and the terminal of a Chinese Windows speak code page 936 already.
std::string GbkToNative(std::string_view gbk) { return std::string(gbk); }
std::string NativeToGbk(std::string_view native) { return std::string(native); }

}  // namespace lingqiao
