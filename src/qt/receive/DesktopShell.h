#pragma once

#include <functional>
#include <string>

namespace bailan {

// Opens a file with its associated program, or a folder in a file browser: the
// desktop shell's "open", shown normally. `path` is CP936. GUI thread only.
void ShellOpen(const std::string& path);

// Tests take the shell's place through this seam: while one is set, it receives
// every path instead of the desktop. An empty function restores the desktop.
// Returns the one it replaces.
using TShellOpener = std::function<void(const std::string& path)>;
TShellOpener SetShellOpener(TShellOpener opener);

}  // namespace bailan
