#pragma once

#include "CheckReport.h"
#include "CheckSettings.h"

namespace bailan::cli {

// Asks for one manifest entry's resource as the installer would and adds the
// rows of every deviation: a document that names no local file; the size
// probe (its failure, no Content-Length, 2 GiB or more, its redirect hops);
// one whole GET (its failure, a length other than the probe's, the pinned
// digest, the ZIP reader's verdict on its end-of-central-directory record);
// the three ranged GETs of the job's segment table, compared with the whole
// body (or, without one, with the pinned digest).
void CheckResource(const TCheckEntry& entry, const TCheckSettings& settings, TCheckReport& report);

}  // namespace bailan::cli
