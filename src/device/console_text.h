// Pure helpers over console text and paths (GBK bytes; lines end in CR LF).
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

// The file-name part of a path (after its last separator), with or without its extension.
std::string FileNameOf(std::string_view path, bool withExtension);
// The path up to and including its last separator; empty when it holds none.
std::string FolderOf(std::string_view path);
// The text without its line n (1-based); lines counted as split at CR LF, with no empty
// last line after a final line break. Out-of-range n removes nothing.
std::string RemoveLine(std::string_view text, int n);
// LF bytes plus one.
int CountLines(std::string_view text);
// Strips the console's echo of the command (the first line) and the blank line and prompt
// that follow a finished command (the last two).
std::string TrimConsoleLines(std::string_view text);

}  // namespace lingqiao
