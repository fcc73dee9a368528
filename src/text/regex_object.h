// The system's one tool for taking text apart: a regular expression run over a GBK text,
// with matches and groups counted from 1. Always a local object of one function: build it,
// Execute once or twice, read, let it go. Failures only show as false, 0 or "".
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "text/regex_engine.h"

namespace lingqiao {

class RegexObject {
 public:
  RegexObject();   // initialises COM for this thread on Windows
  ~RegexObject();  // and leaves it as it was
  // A copy shares the results of the last Execute; its own Execute never disturbs the original.
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);

  // Runs pattern over subject and keeps the matches. True when the engine accepted the pattern,
  // whether or not anything matched. With quotePlaceholder every "#引号" in the pattern stands
  // for a double-quote character (patterns are written inside quoted texts).
  bool Execute(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
               bool multiline = true, bool global = true, bool quotePlaceholder = false);

  std::string GetPattern() const;
  std::string Replace(std::string_view replacement) const;
  int MatchCount() const;
  std::string MatchText(int n) const;
  std::string SubMatchText(int n, int k) const;
  // Capture groups of the first match: the pattern's group count once something matched, else 0.
  int SubMatchCount() const;

 private:
  RegexEngineHost host_;
  // Declared after host_, so it is released before COM is uninitialised.
  std::shared_ptr<RegexEngine> engine_;
};

}  // namespace lingqiao
