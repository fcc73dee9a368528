// The seam between RegexObject and the regular-expression engine that does the work:
// "VBScript.RegExp" through COM on Windows, PCRE2 elsewhere. Texts cross it as GBK; each
// engine converts to what it reads itself. Indexes here count from 0, as the engines do.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lingqiao {

struct RegexOptions {
  bool caseSensitive = false;
  bool multiline = true;
  bool global = true;
};

// One engine runs one pattern over one subject and then holds that run's matches, so that a
// copied RegexObject can share it while the original goes on to a new Execute with a new engine.
// Reads never fail loudly: out of range, no matches or a rejected pattern give 0 or "".
class RegexEngine {
 public:
  virtual ~RegexEngine() = default;

  // False when the pattern is rejected or the search gave up; the engine then holds no matches.
  virtual bool Execute(std::string_view pattern, std::string_view subject,
                       const RegexOptions& options) = 0;
  // The pattern as the engine holds it, also after it rejected it.
  virtual std::string Pattern() const = 0;
  // The subject with the matches replaced ($1..$99, $&, $`, $', $$); "" after a failed Execute.
  virtual std::string Replace(std::string_view replacement) const = 0;
  virtual int MatchCount() const = 0;
  virtual std::string MatchText(int match) const = 0;
  // Group 0 is the first capture group; a group that took no part in the match gives "".
  virtual std::string SubMatchText(int match, int group) const = 0;
  // Capture groups of the first match; 0 without a match.
  virtual int SubMatchCount() const = 0;
};

// What a thread needs while it creates and uses engines: on Windows the COM initialisation
// (CoInitialize in the constructor, CoUninitialize in the destructor), nothing elsewhere.
// Lives inside each RegexObject, on the thread that built it.
class RegexEngineHost {
 public:
  RegexEngineHost();
  ~RegexEngineHost();
  RegexEngineHost(const RegexEngineHost&) = delete;
  RegexEngineHost& operator=(const RegexEngineHost&) = delete;

  // A fresh engine for one Execute. Null, or an engine whose Execute fails, when the platform
  // has none (no "VBScript.RegExp" registered).
  std::shared_ptr<RegexEngine> CreateEngine() const;

 private:
#ifdef _WIN32
  bool comInitialized_ = false;
#endif
};

}  // namespace lingqiao
