// The engine without Windows: PCRE2 on UTF-8, set up to read patterns as "VBScript.RegExp"
// reads the ones this system writes: \uXXXX is a code point, "." refuses only a line feed,
// ^ and $ work at line feeds, and a global search steps over an empty match by one character
// (the ECMAScript rule) instead of retrying at the same place for a longer one.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/encoding.h"
#include "text/regex_engine.h"

namespace lingqiao {
namespace {

// A search that needs more steps than this gives up, and Execute reports it as it reports a
// rejected pattern: a pattern that backtracks without end over a UI dump must not hang a run.
// The patterns of this system need a few steps per subject character.
constexpr uint32_t kMatchLimit = 5'000'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;
// Each script line compiles the same line pattern again; the tap-on-text search adds two more.
constexpr size_t kCachedPatterns = 8;

constexpr size_t kUnset = PCRE2_UNSET;

struct CodeFree {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};

struct CompiledPattern {
  std::string pattern;  // GBK, as given: a hit needs no conversion
  uint32_t flags = 0;
  std::unique_ptr<pcre2_code, CodeFree> code;  // null: the pattern was rejected
  std::unique_ptr<pcre2_match_data, MatchDataFree> matchData;
  int groups = 0;
};

// Compiled patterns of one thread, most recently used first. Compiling does not depend on
// anything but the pattern and the flags, so a cached one gives the same results.
class PatternCache {
 public:
  PatternCache()
      : compileContext_(pcre2_compile_context_create(nullptr)),
        matchContext_(pcre2_match_context_create(nullptr)) {
    if (compileContext_) pcre2_set_newline(compileContext_.get(), PCRE2_NEWLINE_LF);
    if (matchContext_) {
      pcre2_set_match_limit(matchContext_.get(), kMatchLimit);
      pcre2_set_heap_limit(matchContext_.get(), kHeapLimitKiB);
    }
  }

  CompiledPattern& Get(std::string_view pattern, uint32_t flags) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i]->flags == flags && entries_[i]->pattern == pattern) {
        std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(i),
                    entries_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return *entries_.front();
      }
    }
    if (entries_.size() >= kCachedPatterns) entries_.pop_back();
    entries_.insert(entries_.begin(), Compile(pattern, flags));
    return *entries_.front();
  }

  pcre2_match_context* MatchContext() const { return matchContext_.get(); }

 private:
  std::unique_ptr<CompiledPattern> Compile(std::string_view pattern, uint32_t flags) const {
    auto entry = std::make_unique<CompiledPattern>();
    entry->pattern.assign(pattern);
    entry->flags = flags;
    const std::string utf8 = GbkToUtf8(pattern);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    entry->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.data()), utf8.size(),
                                    flags | PCRE2_NO_UTF_CHECK, &error, &errorOffset,
                                    compileContext_.get()));
    if (entry->code) {
      entry->matchData.reset(pcre2_match_data_create_from_pattern(entry->code.get(), nullptr));
      uint32_t groups = 0;
      pcre2_pattern_info(entry->code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
      entry->groups = static_cast<int>(groups);
      if (!entry->matchData) entry->code.reset();
    }
    return entry;
  }

  std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext_;
  std::unique_ptr<pcre2_match_context, MatchContextFree> matchContext_;
  std::vector<std::unique_ptr<CompiledPattern>> entries_;
};

PatternCache& ThreadPatternCache() {
  thread_local PatternCache cache;
  return cache;
}

uint32_t CompileFlags(const RegexOptions& options) {
  // ECMAScript's reading of "[]", "[^]", a back reference to a group that has not matched
  // (it matches the empty text) and a non-multiline $ (the very end only).
  uint32_t flags = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                   PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
  if (!options.caseSensitive) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  return flags;
}

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

class Pcre2Engine final : public RegexEngine {
 public:
  bool Execute(std::string_view pattern, std::string_view subject,
               const RegexOptions& options) override {
    pattern_.assign(pattern);
    subject_ = GbkToUtf8(subject);
    spans_.clear();
    matches_ = 0;
    executed_ = false;

    PatternCache& cache = ThreadPatternCache();
    CompiledPattern& compiled = cache.Get(pattern, CompileFlags(options));
    if (!compiled.code) return false;
    groups_ = compiled.groups;

    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    const size_t length = subject_.size();
    const size_t pairs = static_cast<size_t>(groups_) + 1;
    size_t start = 0;
    for (;;) {
      // The subject came out of our own conversion, so it is valid UTF-8: no check per call,
      // which would make a global search over a large dump quadratic.
      const int rc = pcre2_match(compiled.code.get(), text, length, start, PCRE2_NO_UTF_CHECK,
                                 compiled.matchData.get(), cache.MatchContext());
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc <= 0) {  // a limit was hit, or out of memory
        spans_.clear();
        matches_ = 0;
        return false;
      }
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled.matchData.get());
      for (size_t i = 0; i < pairs; ++i) {
        const bool set = i < static_cast<size_t>(rc) && ovector[2 * i] != kUnset;
        spans_.push_back(set ? ovector[2 * i] : kUnset);
        spans_.push_back(set ? ovector[2 * i + 1] : kUnset);
      }
      ++matches_;
      if (!options.global) break;
      const size_t begin = ovector[0], end = ovector[1];
      if (end > begin) {
        start = end;
      } else {
        if (end >= length) break;
        start = end + Utf8SequenceLength(static_cast<unsigned char>(subject_[end]));
      }
    }
    executed_ = true;
    return true;
  }

  std::string Pattern() const override { return pattern_; }

  std::string Replace(std::string_view replacement) const override {
    if (!executed_) return {};
    const std::string with = GbkToUtf8(replacement);
    std::string out;
    out.reserve(subject_.size());
    size_t copied = 0;
    for (int m = 0; m < matches_; ++m) {
      const size_t begin = Span(m, 0, 0), end = Span(m, 0, 1);
      out.append(subject_, copied, begin - copied);
      Expand(with, m, out);
      copied = end;
    }
    out.append(subject_, copied, std::string::npos);
    return Utf8ToGbk(out);
  }

  int MatchCount() const override { return matches_; }

  std::string MatchText(int match) const override {
    if (match < 0 || match >= matches_) return {};
    return Piece(match, 0);
  }

  std::string SubMatchText(int match, int group) const override {
    if (match < 0 || match >= matches_ || group < 0 || group >= groups_) return {};
    return Piece(match, group + 1);
  }

  int SubMatchCount() const override { return matches_ > 0 ? groups_ : 0; }

 private:
  size_t Span(int match, int pair, int side) const {
    return spans_[(static_cast<size_t>(match) * (static_cast<size_t>(groups_) + 1) +
                   static_cast<size_t>(pair)) * 2 + static_cast<size_t>(side)];
  }

  std::string_view PieceUtf8(int match, int pair) const {
    const size_t begin = Span(match, pair, 0);
    if (begin == kUnset) return {};
    return std::string_view(subject_).substr(begin, Span(match, pair, 1) - begin);
  }

  std::string Piece(int match, int pair) const { return Utf8ToGbk(PieceUtf8(match, pair)); }

  // The replacement rules of the ECMAScript family: $$, $&, $`, $', and $n or $nn for a group
  // that the pattern has (two digits win when they name one); anything else stays as written.
  void Expand(std::string_view with, int match, std::string& out) const {
    for (size_t i = 0; i < with.size(); ++i) {
      const char c = with[i];
      if (c != '$' || i + 1 >= with.size()) {
        out.push_back(c);
        continue;
      }
      const char next = with[i + 1];
      if (next == '$') {
        out.push_back('$');
        ++i;
      } else if (next == '&') {
        out.append(PieceUtf8(match, 0));
        ++i;
      } else if (next == '`') {
        out.append(subject_, 0, Span(match, 0, 0));
        ++i;
      } else if (next == '\'') {
        out.append(subject_, Span(match, 0, 1), std::string::npos);
        ++i;
      } else if (next >= '0' && next <= '9') {
        const int one = next - '0';
        const bool hasSecond = i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9';
        const int two = hasSecond ? one * 10 + (with[i + 2] - '0') : 0;
        if (hasSecond && two >= 1 && two <= groups_) {
          out.append(PieceUtf8(match, two));
          i += 2;
        } else if (one >= 1 && one <= groups_) {
          out.append(PieceUtf8(match, one));
          i += 1;
        } else {
          out.push_back(c);
        }
      } else {
        out.push_back(c);
      }
    }
  }

  std::string pattern_;
  std::string subject_;  // UTF-8
  int groups_ = 0;
  int matches_ = 0;
  bool executed_ = false;
  // Per match, for the whole match and then each group: begin and end byte offsets in subject_.
  std::vector<size_t> spans_;
};

}  // namespace

RegexEngineHost::RegexEngineHost() = default;
RegexEngineHost::~RegexEngineHost() = default;

std::shared_ptr<RegexEngine> RegexEngineHost::CreateEngine() const {
  return std::make_shared<Pcre2Engine>();
}

}  // namespace lingqiao
