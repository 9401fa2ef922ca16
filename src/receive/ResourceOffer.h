#pragma once

#include <string>

#include "receive/ResourceRecords.h"

namespace bailan {

// One resource offered in the resource selection dialog: the row's caption
// and its seven sub-items, CP936 as given.
struct TOfferedResource {
  std::string Name;
  std::string Category;
  std::string PushTime;  // "yyyy-mm-dd hh:nn:ss"
  std::string Who;
  std::string Remark;
  std::string URL;
  std::string DownloadType;
  std::string ID;
};

// A resource of download type "0" cannot be left out: its row stays ticked.
bool IsMandatoryOffer(const std::string& downloadType);

// The folder under which each category gets its folder of received files:
// "Download" in the program's folder, ending with PathDelim.
std::string OfferDownloadFolder(const std::string& programFolder);

// The pending record a ticked row becomes, checked whole before anything is
// appended: the push time must parse (EConvertError), the category must name one
// folder below `downloadFolder` (not ".", "..", a separator, a control
// character, or a name the host cannot create) and the save path must fit its
// field; each refusal raises Exception with the reason.
TResourceRec RecordFromOffer(const TOfferedResource& offer, const std::string& downloadFolder);

}  // namespace bailan
