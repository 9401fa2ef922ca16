// Local calendar time from the Windows clock and the time zone's rules for the
// date in question (not the offset in force now).
#include "platform/LocalTime.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

constexpr long long kFileTimeTicksPerSecond = 10000000;
constexpr long long kEpochOffsetSeconds = 11644473600LL;  // 1601-01-01 to 1970-01-01

TLocalTime FromSystemTime(const SYSTEMTIME& time) {
  TLocalTime local;
  local.Year = time.wYear;
  local.Month = time.wMonth;
  local.Day = time.wDay;
  local.Hour = time.wHour;
  local.Minute = time.wMinute;
  local.Second = time.wSecond;
  local.Millisecond = time.wMilliseconds;
  return local;
}

}  // namespace

long long FileTimeToEpoch(const FILETIME& time) {
  ULARGE_INTEGER ticks{};
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart / kFileTimeTicksPerSecond) - kEpochOffsetSeconds;
}

FILETIME EpochToFileTime(long long seconds) {
  ULARGE_INTEGER ticks{};
  ticks.QuadPart = static_cast<unsigned long long>(seconds + kEpochOffsetSeconds) * kFileTimeTicksPerSecond;
  return FILETIME{ticks.LowPart, ticks.HighPart};
}

TLocalTime LocalTimeNow() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return FromSystemTime(now);
}

TLocalTime EpochToLocalTime(long long seconds) {
  const FILETIME utcFile = EpochToFileTime(seconds);
  SYSTEMTIME utc{}, local{};
  if (!::FileTimeToSystemTime(&utcFile, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return TLocalTime{};
  }
  TLocalTime result = FromSystemTime(local);
  result.Millisecond = 0;
  return result;
}

long long LocalTimeToEpoch(const TLocalTime& local) {
  SYSTEMTIME wanted{};
  wanted.wYear = static_cast<WORD>(local.Year);
  wanted.wMonth = static_cast<WORD>(local.Month);
  wanted.wDay = static_cast<WORD>(local.Day);
  wanted.wHour = static_cast<WORD>(local.Hour);
  wanted.wMinute = static_cast<WORD>(local.Minute);
  wanted.wSecond = static_cast<WORD>(local.Second);
  SYSTEMTIME utc{};
  FILETIME utcFile{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &wanted, &utc) || !::SystemTimeToFileTime(&utc, &utcFile)) {
    return -1;
  }
  return FileTimeToEpoch(utcFile);
}

}  // namespace bailan
