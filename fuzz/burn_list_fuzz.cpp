// "Burnlist.abl" of any bytes and length, the WAV check on any bytes, and
// the CD-TEXT walk on any bytes: nothing read past the input, the list
// always packed and at most 99 tracks, a read list written back byte-exact.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "cd/burn_list.h"
#include "cd/cd_text.h"
#include "cd/wav_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tamberline;
    // Stretched to the file's length too, so slot contents get fuzzed.
    std::vector<uint8_t> file(data, data + size);
    for (const std::span<const uint8_t> bytes :
         {std::span<const uint8_t>(data, size), std::span<const uint8_t>(file)}) {
        BurnList list = BurnList::FromFile(bytes);
        if (list.count() > kBurnSlots)
            std::abort();
        const std::vector<uint8_t> out = list.ToFile();
        if (out.size() != kBurnListFileSize)
            std::abort();
        if (BurnList::FromFile(out).ToFile() != out)
            std::abort();
        (void)list.Lines();
        (void)list.CapacityLabel();
        if (file.size() < kBurnListFileSize)
            file.resize(kBurnListFileSize, 0);
    }
    const WavInfo info = CheckWav(
        [&](uint64_t offset, void* out, size_t n) -> size_t {
            if (offset >= size)
                return 0;
            const size_t got = std::min<uint64_t>(n, size - offset);
            std::memcpy(out, data + offset, got);
            return got;
        },
        size);
    if (info.valid && uint64_t(info.dataOffset) + info.dataSize > size)
        std::abort();
    const int tracks = size > 0 ? data[0] % 100 : 0;
    for (const std::string& title : CdTextTitles(data, size, tracks)) {
        if (TrackFileName(title, 1).empty())
            std::abort();
    }
    return 0;
}
