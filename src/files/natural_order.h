#pragma once

#include <string>
#include <vector>

namespace tamberline {

// Natural order: every run of digits is left-padded with '0' to the length
// of the longest run in any of the names, so "File9" sorts before "File10".
// Keys compare without regard to case; equal keys keep their input order.
std::vector<std::string> NaturalSortKeys(const std::vector<std::string>& names);
void SortNatural(std::vector<std::string>& names);

// Sorts `names` by `keys` (same length), comparing without regard to case.
void SortByKeys(std::vector<std::string>& names, const std::vector<std::string>& keys);

}  // namespace tamberline
