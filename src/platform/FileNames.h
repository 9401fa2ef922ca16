#pragma once

#include <string>
#include <string_view>

// Which names a file may have, and when two names are one: the host's rules, and
// the names this system keeps for its own state beside a resource.
namespace bailan {

// The names a job keeps beside a resource NAME while it is received: the partial
// file NAME.rpc, the resume file NAME.rpc.cfg and the resume file's new image
// NAME.rpc.cfg.tmp while it is saved.
inline constexpr std::string_view kPartialSuffix = ".rpc";
inline constexpr std::string_view kResumeSuffix = ".rpc.cfg";
inline constexpr std::string_view kResumeTempSuffix = ".tmp";  // after kResumeSuffix

// True when `name` (one name, no folder) ends like a job's partial, resume or
// resume-image file, in any letter case: such a name is never created from
// outside (an archive entry, a download), or it could pass for a job's state.
bool IsJobFileName(std::string_view name);

// False when `name` (one name, CP936, no folder) cannot be created as a file or
// folder of its own on this host: empty, "." or "..", a separator or a NUL in
// it, and on Windows also a device name ("CON", "PRN", "AUX", "NUL", "COM1" to
// "COM9", "LPT1" to "LPT9", "CONIN$", "CONOUT$"; in any case, with or without
// an extension), a name that ends in "." or " ", and a character that Windows
// refuses in names (control characters and <>:"/\|?*; ":" would name a stream).
// Archive entries, download names and the dialog's categories check with it.
bool IsCreatableName(std::string_view name);

// The spelling under which the host tells whether two paths (CP936) name one
// file: the host's own encoding after the CP936 conversion (so that two byte
// strings the conversion maps alike are one name), repeated separators taken as
// one, and on Windows without regard to letter case and with "/" as "\".
std::string HostNameKey(std::string_view path);

}  // namespace bailan
