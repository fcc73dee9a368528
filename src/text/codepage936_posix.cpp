// Code page 936 without Windows: both directions come from tables that iconv fills once,
// so a conversion is a table look-up per character and behaves as the Windows one does
// ("?" for what the code page cannot hold) instead of stopping at the first such character.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "text/encoding.h"

namespace lingqiao {
namespace {

struct Cp936Tables {
  // Double-byte characters: index (lead - 0x81) * 192 + (trail - 0x40); 0 = not a character.
  std::vector<char16_t> decode = std::vector<char16_t>(126 * 192, 0);
  // UTF-16 code unit -> GBK bytes (high byte lead, low byte trail, or a single byte); 0 = none.
  std::vector<uint16_t> encode = std::vector<uint16_t>(0x10000, 0);
  char16_t single80 = 0;  // Windows maps 0x80 to the euro sign

  Cp936Tables() {
    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto convert = [&](const char* in, size_t len) -> char16_t {
      char buf[8];
      char* inp = const_cast<char*>(in);
      char* outp = buf;
      size_t inleft = len, outleft = sizeof buf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1)) return 0;
      if (sizeof buf - outleft != 2) return 0;  // nothing, or outside the BMP
      return static_cast<char16_t>(static_cast<unsigned char>(buf[0]) |
                                   (static_cast<unsigned char>(buf[1]) << 8));
    };
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char16_t u = convert(in, 2);
        if (u == 0) continue;
        decode[(lead - 0x81) * 192 + (trail - 0x40)] = u;
        if (encode[u] == 0) encode[u] = static_cast<uint16_t>((lead << 8) | trail);
      }
    }
    const char euro = static_cast<char>(0x80);
    single80 = convert(&euro, 1);
    if (single80 != 0) encode[single80] = 0x80;
    iconv_close(cd);
  }
};

const Cp936Tables& Tables() {
  static const Cp936Tables tables;
  return tables;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  const Cp936Tables& t = Tables();
  std::u16string out;
  out.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out.push_back(b);
    } else if (b == 0x80) {
      out.push_back(t.single80 ? t.single80 : u'?');
    } else if (b == 0xFF || i + 1 >= gbk.size()) {
      out.push_back(u'?');
    } else {
      const auto trail = static_cast<unsigned char>(gbk[i + 1]);
      const char16_t u = trail >= 0x40 && trail <= 0xFE ? t.decode[(b - 0x81) * 192 + (trail - 0x40)] : 0;
      if (u != 0) {
        out.push_back(u);
        ++i;
      } else {
        out.push_back(u'?');  // a lead byte without a valid trail: the next byte stands alone
      }
    }
  }
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  const Cp936Tables& t = Tables();
  std::string out;
  out.reserve(utf16.size() * 2);
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    const uint16_t g = t.encode[u];
    if (g == 0) {
      out.push_back('?');  // each half of a surrogate pair too, as Windows has it
    } else if (g < 0x100) {
      out.push_back(static_cast<char>(g));
    } else {
      out.push_back(static_cast<char>(g >> 8));
      out.push_back(static_cast<char>(g & 0xFF));
    }
  }
  return out;
}

std::string GbkToNative(std::string_view gbk) { return GbkToUtf8(gbk); }
std::string NativeToGbk(std::string_view native) { return Utf8ToGbk(native); }

}  // namespace lingqiao
