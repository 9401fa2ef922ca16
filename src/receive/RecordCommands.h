#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "receive/ReceiveLists.h"

namespace bailan {

// The commands of the received and recycle pages, on the grid row the user
// selected. A row outside its page's list does nothing at all, not even ask.
// The row is taken before the question, so the answer applies to the record
// asked about, whatever the grid shows when the box closes. GUI thread.

// Asks the user a question (CP936) under "确认信息" with Yes and No, Yes the
// default; true for Yes.
using TConfirm = std::function<bool(const std::string& question)>;

enum class TRecordCommand {
  ReceiveAgain,  // received page: "是否确定重新接收此资源？", then a started job of one segment
  Delete,        // received page: "是否确定删除此资源？", then into the recycle list
  Restore,       // recycle page: "是否确定还原此资源？", then back into the received list
};

// `row`, when it shows a record of `page`'s list; else 0.
std::int32_t RecordRow(const TReceiveLists& lists, TRecordPage page, std::int32_t row);
// The received record grid row `row` shows, if any.
std::optional<TReceivedRec> ReceivedRecordAtRow(const TReceiveLists& lists, std::int32_t row);

// Runs `command` on grid row `row`: true when the user said Yes and the lists
// changed (the face refreshes its grid; receive again also adds a job row).
bool RunRecordCommand(TReceiveLists& lists, TRecordCommand command, std::int32_t row,
                      const TConfirm& confirm);

}  // namespace bailan
