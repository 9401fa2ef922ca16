#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/Launcher.h"
#include "platform/Path.h"

extern char** environ;

namespace bailan {
namespace {

bool IsExecutableFile(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
}

// Starts `argv` in its own session with `folder` as working folder and the
// standard streams on /dev/null; the child is not waited for.
bool SpawnDetached(const std::string& folder, std::vector<std::string> argv, bool searchPath) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  for (int stream : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  const int result = searchPath ? ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ)
                                : ::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result == 0;
}

bool WineInstalled() {
  const char* path = std::getenv("PATH");
  std::string paths = path ? path : "";
  std::size_t from = 0;
  while (from <= paths.size()) {
    std::size_t end = paths.find(':', from);
    if (end == std::string::npos) end = paths.size();
    if (end > from && IsExecutableFile(paths.substr(from, end - from) + "/wine")) return true;
    from = end + 1;
  }
  return false;
}

}  // namespace

bool RunLauncher(const std::string& folder, const std::string& batchName, const std::string& program) {
  const std::string hostFolder = ToHostPath(folder);
  const std::string hostProgram = ToHostPath(IncludeTrailingPathDelimiter(folder) + program);
  bool started = false;
  if (IsExecutableFile(hostProgram)) {
    started = SpawnDetached(hostFolder, {hostProgram}, false);
  } else if (FileExists(IncludeTrailingPathDelimiter(folder) + program) && WineInstalled()) {
    started = SpawnDetached(hostFolder, {"wine", ToHostPath(program)}, true);
  }
  DeleteFile(IncludeTrailingPathDelimiter(folder) + batchName);
  return started;
}

bool RunningAsSuperUser() {
  return ::geteuid() == 0;
}

}  // namespace bailan
