#include "files/natural_order.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace tamberline {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t LongestDigitRun(const std::string& name) {
    size_t longest = 0;
    size_t run = 0;
    for (char c : name) {
        run = IsDigit(c) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

std::string PaddedKey(const std::string& name, size_t width) {
    std::string key;
    key.reserve(name.size() + 8);
    for (size_t i = 0; i < name.size();) {
        if (!IsDigit(name[i])) {
            key += name[i++];
            continue;
        }
        size_t end = i;
        while (end < name.size() && IsDigit(name[end])) {
            ++end;
        }
        key.append(width - (end - i), '0');
        key.append(name, i, end - i);
        i = end;
    }
    return key;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::vector<std::string> NaturalSortKeys(const std::vector<std::string>& names) {
    size_t width = 0;
    for (const std::string& name : names) {
        width = std::max(width, LongestDigitRun(name));
    }
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) {
        keys.push_back(PaddedKey(name, width));
    }
    return keys;
}

void SortByKeys(std::vector<std::string>& names, const std::vector<std::string>& keys) {
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return LessIgnoringCase(keys[a], keys[b]); });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (size_t index : order) {
        sorted.push_back(std::move(names[index]));
    }
    names = std::move(sorted);
}

void SortNatural(std::vector<std::string>& names) {
    const std::vector<std::string> keys = NaturalSortKeys(names);
    SortByKeys(names, keys);
}

}  // namespace tamberline
