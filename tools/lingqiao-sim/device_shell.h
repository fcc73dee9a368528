// The device's shell for "shell:" and "exec:" services: one command line in, the text the
// Android tools would print out, and the effects for the journal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device.h"
#include "label_font.h"

namespace lingqiao::sim {

struct ShellOutput {
  // Standard output followed by standard error: shell version 1 carries both in one stream.
  std::string text;
  std::vector<Effect> effects;
};

class DeviceShell {
 public:
  DeviceShell(Device& device, const LabelFont& font) : device_(device), font_(font) {}

  ShellOutput Run(std::string_view commandLine);

 private:
  using Words = std::vector<std::string>;
  struct Io {
    std::string out;
    std::string err;
    std::vector<Effect>& effects;
  };
  using Command = void (DeviceShell::*)(const Words& args, Io& io);

  void RunLine(std::string_view line, Io& io, int depth);
  void RunWords(const Words& words, Io& io, int depth);
  // Where a command's output goes with ">F", ">>F" or "2>F".
  void Redirect(const std::string& file, bool append, std::string& text);

  // shell_commands.cpp
  void Echo(const Words& args, Io& io);
  void Getprop(const Words& args, Io& io);
  void Setprop(const Words& args, Io& io);
  void Ps(const Words& args, Io& io);
  void Wm(const Words& args, Io& io);
  void Screencap(const Words& args, Io& io);
  void Uiautomator(const Words& args, Io& io);
  void Rm(const Words& args, Io& io);
  void Cat(const Words& args, Io& io);
  void Ls(const Words& args, Io& io);
  void Mount(const Words& args, Io& io);
  void Id(const Words& args, Io& io);
  void Nothing(const Words& args, Io& io);

  // app_commands.cpp
  void Input(const Words& args, Io& io);
  void Am(const Words& args, Io& io);
  void Pm(const Words& args, Io& io);
  void AmStart(const Words& args, Io& io);
  void AmBroadcast(const Words& args, Io& io);
  void PmInstall(const Words& args, Io& io);
  void PmListPackages(const Words& args, Io& io);

  static Command Find(std::string_view name);

  Device& device_;
  const LabelFont& font_;
};

}  // namespace lingqiao::sim
