#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "receive/ResourceRecords.h"

namespace bailan {

// Columns of the received grid (0 to 6) and the recycle grid (0 to 7).
inline constexpr std::int32_t kRecordColumnStatus = 0;  // no text: the status icon
inline constexpr std::int32_t kRecordColumnPublishTime = 1;
inline constexpr std::int32_t kRecordColumnName = 2;
inline constexpr std::int32_t kRecordColumnSize = 3;
inline constexpr std::int32_t kRecordColumnCategory = 4;
inline constexpr std::int32_t kRecordColumnRemark = 5;
inline constexpr std::int32_t kRecordColumnReceiveTime = 6;
inline constexpr std::int32_t kRecordColumnDeleteTime = 7;
inline constexpr std::int32_t kReceivedGridColumns = 7;
inline constexpr std::int32_t kRecycleGridColumns = 8;

// The texts of a record's grid row, one per column, column 0 empty.
std::vector<std::string> RowTexts(const TReceivedRec& record);
std::vector<std::string> RowTexts(const TRecycledRec& record);

// Where "打开" looks for a received record's file: its SavePath, "\" (PathDelim)
// unless it ends in one already or is empty, then its FileName.
std::string ReceivedFilePath(const TReceivedRec& record);

}  // namespace bailan
