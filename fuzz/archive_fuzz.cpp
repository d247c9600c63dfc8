// An archive from anywhere, read as Read Archive reads it (with "Preserve
// folder structure"): whatever its records and its songlist say, every
// file is taken from the archive's folder and goes into the new session's
// folder, never above it. The first byte picks the options; the rest is
// the archive's records, padded or cut to a session file's size, and also
// the text of the songlist "list.m3u" beside it.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/path_parts.h"
#include "session/archive/archive_paths.h"
#include "session/archive/copy_plan.h"
#include "session/button_record.h"

namespace {

namespace fs = std::filesystem;

const std::string& Folder() {
    static const std::string folder = [] {
        std::string base = (fs::temp_directory_path() / "archive_fuzz.XXXXXX").string();
        if (::mkdtemp(base.data()) == nullptr) {
            std::abort();
        }
        fs::create_directories(base + "/in");
        fs::create_directories(base + "/out");
        return base + "/";
    }();
    return folder;
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool Inside(const std::string& folder, const std::string& path) {
    const std::string normal = fs::path(path).lexically_normal().string();
    return normal.size() > folder.size() && normal.compare(0, folder.size(), folder) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tamberline;
    if (size == 0) {
        return 0;
    }
    const bool preserve = (data[0] & 1) != 0;
    const std::string in = Folder() + "in/";
    const std::string out = Folder() + "out/";
    std::string archive(kSessionFileSize, '\0');
    for (size_t i = 1; i < size && i - 1 < archive.size(); ++i) {
        archive[i - 1] = static_cast<char>(data[i]);
    }
    Write(in + "show.dbx", reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
    Write(in + "list.m3u", data + 1, size - 1);
    SessionCopy copy;
    PlanSessionCopy(CopyMode::kReadArchive, in + "show.dbx", out + "show.dbf", preserve, copy);
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        const CopyJob& job = copy.jobs[i];
        if (!Inside(in, job.source) || FolderPart(job.source) != in ||
            !Inside(out, job.destination)) {
            std::abort();
        }
    }
    const std::string relative(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string safe = SafeRelativePath(relative);
    if (!safe.empty() && !Inside(out, out + safe)) {
        std::abort();
    }
    return 0;
}
