// The few file-system services the device layer needs, in GBK paths.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

// "\" on Windows, "/" elsewhere.
char PathSeparator();
// The folder of the running program file, without a trailing separator.
std::string ProgramFolder();
// The temporary folder, with a trailing separator.
std::string TempFolder();

bool FileExists(const std::string& path);
// The whole file; empty when it is missing or unreadable.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, std::string_view bytes);
// True when the file is gone afterwards (a missing file is no error).
bool DeleteFileAt(const std::string& path);
// Creates a new, empty folder with a unique name under `parent` (which ends in a separator);
// returns its path with a trailing separator, or empty text.
std::string MakeUniqueFolder(const std::string& parent, std::string_view prefix);
// Removes a folder and the files directly inside it.
void RemoveFolder(const std::string& folder);
// Makes the folder the program's current folder.
bool SetCurrentFolder(const std::string& folder);
// Sets a variable of the program's environment.
bool SetEnvironmentValue(const std::string& name, const std::string& value);

}  // namespace lingqiao
