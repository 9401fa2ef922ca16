#pragma once

#include <string>
#include <vector>

// What a command-line program needs of its console, the same on every host.
namespace bailan {

// The program's arguments after its name. On Linux they are the bytes the shell
// passed (UTF-8); on Windows they come from the wide command line as CP936, so
// that no character is lost to the process's ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// An argument of ProgramArguments as the system's CP936 text (characters CP936
// cannot hold become `replacement`).
std::string ArgumentToCp936(const std::string& argument, char replacement = '?');

// Makes stdout and stderr take UTF-8 bytes as they are: a console shows them as
// UTF-8 and follows the terminal's escape sequences, and "\n" is written
// unchanged.
void PrepareConsoleOutput();

// True when stderr is a terminal (a console window on Windows).
bool StderrIsTerminal();
// The width of stderr's terminal in columns; 0 when it does not tell.
int StderrTerminalColumns();

// From this call on, Ctrl-C, SIGTERM and SIGHUP (the terminal closed) on Linux,
// Ctrl-C and Ctrl-Break on Windows no longer end the process: they set the flag
// that StopRequested reads.
void CatchStopRequests();
bool StopRequested();

}  // namespace bailan
