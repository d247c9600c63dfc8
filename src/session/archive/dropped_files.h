#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "files/file_copier.h"

namespace tamberline {

class CopyRunner;
class MessageBox;

// "    %.02f kb" above 1024 bytes, "    %.02f Mb" above 2^20, "    %.02f Gb"
// above 2^30; nothing for a smaller file.
std::string SizeText(int64_t bytes);
// " modified: %d %B %Y, %H:%M:%S" of a last-write time, in local time.
std::string DateText(std::time_t modified);

// The copy engine's dropped-files mode: folders among the dropped items
// are ignored; a file whose name is taken in the folder is copied only
// when the operator says so (unless the two have the same size and the
// same last-write time: then it is there already); the rest is copied in
// the progress dialog.
class DroppedFilesCopier final : public FileCopier {
public:
    DroppedFilesCopier(MessageBox& box, CopyRunner& runner) : box_(box), runner_(runner) {}
    void CopyInto(const std::vector<std::string>& files, const std::string& folder,
                  const std::function<void()>& fileCopied) override;

private:
    MessageBox& box_;
    CopyRunner& runner_;
};

}  // namespace tamberline
