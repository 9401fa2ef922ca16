#pragma once

#include <map>
#include <string>

#include "CheckReport.h"

namespace bailan::cli {

// Whether the host of a plain http address answers https as well: then the
// maker could list https addresses, which an attacker on the way cannot
// rewrite. The probe is a HEAD of "https://HOST/" with a short time-out; any
// answer with a status line counts, a failure of any kind is "https not
// answered" and no row. Each host is asked once per run. One thread.
class THttpsProbe {
 public:
  static constexpr int kProbeTimeoutMs = 3000;  // a host that is silent this long does not answer https

  // A warning row for `url` (listed by `entry`) when its host answers https.
  void Check(const std::string& entry, const std::string& url, TCheckReport& report);

 private:
  // The status line of the host's https answer; empty when it gave none.
  const std::string& Answer(const std::string& host);

  std::map<std::string, std::string> answers_;  // by host, in lower case
};

}  // namespace bailan::cli
