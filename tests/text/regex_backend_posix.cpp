#include "regex_test_support.h"

namespace lingqiao {

RegexBackend CurrentRegexBackend() { return RegexBackend::Pcre2; }

}  // namespace lingqiao
