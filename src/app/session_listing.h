#pragma once

#include <string>
#include <vector>

#include "session/button_record.h"
#include "setup/sample_list_model.h"

namespace tamberline {

// The Session Info dialog's two faces: the run log and the listing of
// every button of the session.

inline constexpr const char* kSessionLogTitle = "Session log.";
inline constexpr int kLogSessionColumnWidth = 270;

// "Session", "File", "Caption", "Start", "Run time".
std::vector<SampleListColumn> RunLogColumns();

// "Button", "Caption", "File", then each setting of a button.
std::vector<SampleListColumn> SessionListingColumns();
// Every page: a title row ("Page n", "**********"), its 42 buttons (the
// settings only for assigned ones), an empty row.
std::vector<std::vector<std::string>> SessionListingRows(const RecordArray& records);
// "Session  <path> - <n> buttons loaded."
std::string SessionListingTitle(const std::string& sessionPath, const RecordArray& records);

}  // namespace tamberline
