#pragma once

namespace bailan::test {

// True when the tests run under Wine rather than on Windows or Linux.
bool RunningUnderWine();

// The process's ANSI code page on Windows; 0 on Linux, which has none.
unsigned AnsiCodePage();

}  // namespace bailan::test
