#pragma once

#include <functional>
#include <string>

#include "receive/ReceiveLists.h"

namespace bailan::test {

// Puts `count` received records "r0", "r1", ... into `lists` through the
// completion move of jobs that never ran: published 2012-03-07 09:05:02, fetched
// from `url`, received as "rI.zip" of 1572864 bytes (1.50 MB) into `folder(i)`.
void AddReceivedRecords(TReceiveLists& lists, int count, const std::string& url,
                        const std::function<std::string(int index)>& folder);

}  // namespace bailan::test
