// The table that every regular-expression case goes through, whichever engine the build has.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/regex_object.h"

namespace lingqiao {

enum class RegexBackend { Pcre2, Vbscript, VbscriptOnWine };

// Which engine this build runs, and on Windows whether Wine provides it.
RegexBackend CurrentRegexBackend();

struct ExpectedMatch {
  std::string text;
  std::vector<std::string> groups;
};

struct RegexCase {
  const char* name;  // a test name: letters and digits
  std::string pattern;
  std::string subject;
  std::vector<ExpectedMatch> matches;
  bool executes = true;
  bool caseSensitive = false;
  bool multiline = true;
  bool global = true;
  bool quotePlaceholder = false;
  // Wine's VBScript where it departs from the engine it stands in for; the case says why.
  std::optional<std::vector<ExpectedMatch>> onWine = std::nullopt;
  // Why Wine's VBScript cannot run the case at all.
  const char* skipOnWine = nullptr;
};

inline std::string CaseName(const testing::TestParamInfo<RegexCase>& info) {
  return info.param.name;
}

// Shown as UTF-8, so that a failing case reads in the terminal.
inline std::string Shown(const std::string& gbk) { return GbkToUtf8(gbk); }

inline void ExpectRegexCase(const RegexCase& c) {
  const bool onWine = CurrentRegexBackend() == RegexBackend::VbscriptOnWine;
  if (onWine && c.skipOnWine) GTEST_SKIP() << c.skipOnWine;
  const bool wine = onWine && c.onWine;
  const std::vector<ExpectedMatch>& expected = wine ? *c.onWine : c.matches;

  RegexObject re;
  EXPECT_EQ(re.Execute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                       c.quotePlaceholder),
            c.executes);
  const int count = static_cast<int>(expected.size());
  ASSERT_EQ(re.MatchCount(), count);
  const int groups = expected.empty() ? 0 : static_cast<int>(expected.front().groups.size());
  EXPECT_EQ(re.SubMatchCount(), groups);
  for (int n = 1; n <= count; ++n) {
    const ExpectedMatch& m = expected[static_cast<size_t>(n - 1)];
    EXPECT_EQ(Shown(re.MatchText(n)), Shown(m.text)) << "match " << n;
    for (int k = 1; k <= static_cast<int>(m.groups.size()); ++k) {
      EXPECT_EQ(Shown(re.SubMatchText(n, k)), Shown(m.groups[static_cast<size_t>(k - 1)]))
          << "match " << n << ", group " << k;
    }
  }
  // Counted from 1, and nothing past either end.
  EXPECT_EQ(re.MatchText(0), "");
  EXPECT_EQ(re.MatchText(count + 1), "");
  EXPECT_EQ(re.SubMatchText(count + 1, 1), "");
  EXPECT_EQ(re.SubMatchText(1, 0), "");
  EXPECT_EQ(re.SubMatchText(1, groups + 1), "");
}

}  // namespace lingqiao
