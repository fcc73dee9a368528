#include "text/regex_object.h"

namespace lingqiao {
namespace {

// Script texts cannot hold a double quote inside a quoted argument, so patterns spell it so.
constexpr std::string_view kQuotePlaceholder = "#引号";

std::string ReplaceQuotePlaceholder(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size());
  size_t from = 0;
  for (size_t at = pattern.find(kQuotePlaceholder); at != std::string_view::npos;
       at = pattern.find(kQuotePlaceholder, from)) {
    out.append(pattern.substr(from, at - from));
    out.push_back('"');
    from = at + kQuotePlaceholder.size();
  }
  out.append(pattern.substr(from));
  return out;
}

}  // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;

// The copy initialises COM for itself (its own host), so each object's destructor balances
// exactly its own constructor, whichever of the two goes first.
RegexObject::RegexObject(const RegexObject& other) : engine_(other.engine_) {}

RegexObject& RegexObject::operator=(const RegexObject& other) {
  engine_ = other.engine_;
  return *this;
}

bool RegexObject::Execute(std::string_view pattern, std::string_view subject, bool caseSensitive,
                          bool multiline, bool global, bool quotePlaceholder) {
  engine_.reset();  // the old engine goes before the new one is made
  engine_ = host_.CreateEngine();
  if (!engine_) return false;
  const RegexOptions options{caseSensitive, multiline, global};
  if (quotePlaceholder) return engine_->Execute(ReplaceQuotePlaceholder(pattern), subject, options);
  return engine_->Execute(pattern, subject, options);
}

std::string RegexObject::GetPattern() const { return engine_ ? engine_->Pattern() : std::string(); }

std::string RegexObject::Replace(std::string_view replacement) const {
  return engine_ ? engine_->Replace(replacement) : std::string();
}

int RegexObject::MatchCount() const { return engine_ ? engine_->MatchCount() : 0; }

std::string RegexObject::MatchText(int n) const {
  if (!engine_ || n < 1) return {};
  return engine_->MatchText(n - 1);
}

std::string RegexObject::SubMatchText(int n, int k) const {
  if (!engine_ || n < 1 || k < 1) return {};
  return engine_->SubMatchText(n - 1, k - 1);
}

int RegexObject::SubMatchCount() const { return engine_ ? engine_->SubMatchCount() : 0; }

}  // namespace lingqiao
