#pragma once

#include <string>

#include "cd/burn_list.h"

namespace tamberline {

// "Burnlist.abl": read whole (a file of any other length than 53,064 bytes,
// or none, gives the empty list) and replaced atomically (temporary file
// beside it, flushed, renamed), its folder created first.
BurnList LoadBurnList(const std::string& path);
// 0 or the system's error code.
int SaveBurnList(const std::string& path, const BurnList& list);

}  // namespace tamberline
