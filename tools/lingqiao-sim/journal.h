// The journal: one JSON object per line, written with one write() each so that a reader sees
// whole lines at once and nothing is lost when the simulator is stopped.
#pragma once

#include <string>
#include <string_view>

#include "device.h"

namespace lingqiao::sim {

// A JSON string literal of the bytes. Valid UTF-8 is kept as it is; every byte that is not part
// of valid UTF-8 becomes \u00XX. Valid text never produces \u0080..\u00ff escapes (those
// characters stay raw), so a reader can take such an escape back to the byte it stands for.
std::string JsonQuoted(std::string_view bytes);

// {"port":6555,"service":"shell:input tap 1 2"}
std::string JournalServiceLine(int port, std::string_view service);
// {"port":6555,"tap":[100,200]} and the other effects.
std::string JournalEffectLine(int port, const Effect& effect);

class Journal {
 public:
  Journal() = default;  // writes nothing
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Creates or empties the file. False with the reason in error when it cannot be opened.
  bool Open(const std::string& path, std::string& error);
  void Write(std::string_view line);

 private:
  int fd_ = -1;
};

}  // namespace lingqiao::sim
