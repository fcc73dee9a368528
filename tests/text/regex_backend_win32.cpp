#include <windows.h>
#include <ole2.h>

#include "regex_test_support.h"

namespace lingqiao {

RegexBackend CurrentRegexBackend() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
  return wine ? RegexBackend::VbscriptOnWine : RegexBackend::Vbscript;
}

namespace {

// S_OK from CoInitialize means this thread had no COM before; S_FALSE that it had.
bool ThreadHasCom() {
  const HRESULT hr = CoInitialize(nullptr);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE;
}

TEST(RegexObjectCom, EveryObjectLeavesTheThreadsComAsItFoundIt) {
  ASSERT_FALSE(ThreadHasCom());
  {
    RegexObject re;
    EXPECT_TRUE(ThreadHasCom());
    re.Execute("(a)", "a");
    auto copy = std::make_unique<RegexObject>(re);
    {
      RegexObject other;
      other = *copy;
    }
    copy.reset();
    EXPECT_TRUE(ThreadHasCom());
    EXPECT_EQ(re.SubMatchText(1, 1), "a");
  }
  EXPECT_FALSE(ThreadHasCom());
}

}  // namespace
}  // namespace lingqiao
