#include "receive/RecordCommands.h"

#include "platform/Cp936.h"

namespace bailan {

std::int32_t RecordRow(const TReceiveLists& lists, TRecordPage page, std::int32_t row) {
  return row >= 1 && row <= lists.PageRecordCount(page) ? row : 0;
}

std::optional<TReceivedRec> ReceivedRecordAtRow(const TReceiveLists& lists, std::int32_t row) {
  const auto records = lists.ReceivedList();
  if (row < 1 || static_cast<std::size_t>(row) > records.size()) return std::nullopt;
  return records[static_cast<std::size_t>(row - 1)];
}

bool RunRecordCommand(TReceiveLists& lists, TRecordCommand command, std::int32_t row,
                      const TConfirm& confirm) {
  const TRecordPage page = command == TRecordCommand::Restore ? TRecordPage::Recycled : TRecordPage::Received;
  if (RecordRow(lists, page, row) == 0) return false;
  switch (command) {
    case TRecordCommand::ReceiveAgain:
      return confirm(Cp("是否确定重新接收此资源？")) && lists.ReceiveAgain(row - 1) != nullptr;
    case TRecordCommand::Delete:
      return confirm(Cp("是否确定删除此资源？")) && lists.DeleteReceived(row - 1);
    case TRecordCommand::Restore:
      return confirm(Cp("是否确定还原此资源？")) && lists.RestoreRecycled(row - 1);
  }
  return false;
}

}  // namespace bailan
