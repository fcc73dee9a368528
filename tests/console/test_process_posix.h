// Runs a program for a test through pipes: standard input given up front (or line by line),
// output and errors collected apart. Every wait has a deadline, so a hung program fails the
// test instead of hanging it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::test_process {

struct Options {
  std::filesystem::path cwd{};                                // empty: the test's own
  std::map<std::string, std::optional<std::string>> env{};    // set (or, with nothing, unset)
  int timeoutMs = 20000;
};

struct Result {
  std::string out;
  std::string err;
  int exitCode = -1;  // -1: did not end in time (and was killed)
};

// Runs `program` with `args`, writes `input` to its standard input and closes it.
Result RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
           std::string_view input = {}, const Options& options = {});

// A program that keeps running while the test writes to it and reads what it prints.
class Session {
 public:
  Session(const std::filesystem::path& program, const std::vector<std::string>& args,
          const Options& options = {});
  ~Session();  // closes input, waits for the end (killing the program after the deadline)
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void Write(std::string_view text);
  // Reads until the output so far (since the start) holds `needle`; returns all of it.
  // False when the deadline came first.
  bool ReadUntil(std::string_view needle, int timeoutMs = 10000);
  const std::string& Output() const { return out_; }
  void CloseInput();
  int Wait(int timeoutMs = 10000);  // exit code, -1 when it had to be killed

 private:
  int pid_ = -1;
  int in_ = -1;
  int outFd_ = -1;
  std::string out_;
  int exitCode_ = -1;
  bool waited_ = false;
};

// The folder of the running test program: the build's bin folder.
std::filesystem::path BinFolder();

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes a shell script and makes it runnable.
void WriteScript(const std::filesystem::path& path, std::string_view body);

}  // namespace lingqiao::test_process
