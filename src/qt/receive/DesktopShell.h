#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace bailan {

// A CP936 path as Qt names it: the host's spelling of the path (ToHostPath,
// the one conversion that every file function of the system makes), so that
// what Qt opens is the very file that those functions see.
QString HostPathText(const std::string& path);

// Opens a file with its associated program, or a folder in a file browser: the
// desktop shell's "open", shown normally. `path` is CP936, converted by
// HostPathText. GUI thread only.
void ShellOpen(const std::string& path);

// Tests take the shell's place through this seam: while one is set, it receives
// every address instead of the desktop. An empty function restores the desktop.
// Returns the one it replaces.
using TShellOpener = std::function<void(const QUrl& url)>;
TShellOpener SetShellOpener(TShellOpener opener);

}  // namespace bailan
