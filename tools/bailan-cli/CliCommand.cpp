#include "CliCommand.h"

#include <cstdio>

#include "platform/Cp936.h"

namespace bailan::cli {
namespace {

std::vector<const TCliCommand*>& Registry() {
  static std::vector<const TCliCommand*> commands;
  return commands;
}

}  // namespace

TCliCommand::TCliCommand(const char* name, const char* usage, TRun run)
    : name_(name), usage_(usage), run_(run) {
  Registry().push_back(this);
}

std::string TCliCommand::Synopsis() const {
  std::string text = std::string("bailan-cli ") + name_;
  if (*usage_) text += std::string(" ") + usage_;
  return text;
}

const std::vector<const TCliCommand*>& TCliCommand::All() {
  return Registry();
}

const TCliCommand* TCliCommand::Find(const std::string& name) {
  for (const TCliCommand* command : Registry()) {
    if (name == command->Name()) return command;
  }
  return nullptr;
}

int UsageError(const TCliCommand* only) {
  std::fputs("usage:\n", stderr);
  for (const TCliCommand* command : TCliCommand::All()) {
    if (!only || only == command) std::fprintf(stderr, "  %s\n", command->Synopsis().c_str());
  }
  return kExitUsage;
}

std::string OneLine(const std::string& cp936) {
  std::string text;
  bool inBreak = false;
  for (char c : cp936) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) {
      text += c;
    } else if (!inBreak) {
      text += ' ';
    }
    inBreak = lineBreak;
  }
  return text;
}

int ReportFailure(const char* className, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", className, Cp936ToUtf8(OneLine(message)).c_str());
  return kExitFailure;
}

void PrintLine(const std::string& cp936) {
  std::string line = Cp936ToUtf8(cp936);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace bailan::cli
