#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../session_fixture.h"
#include "session/archive/archive_commands.h"
#include "session/archive/copy_control.h"
#include "session/archive/copy_runner.h"
#include "session/session_file.h"

namespace tamberline::testing {

inline std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Gives the file a last-write time of `seconds` (and the same access time).
inline void SetTime(const std::string& path, int64_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

inline int64_t ModifiedSeconds(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtim.tv_sec) : -1;
}

// A sound file through libsndfile (`format` SF_FORMAT_WAV / FLAC | PCM_16)
// whose samples depend on `seed`, so two files never agree by chance.
inline void WriteSound(const std::string& path, int format, int frames, int seed) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<short> samples(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<short>((static_cast<int>(i) * 37 + seed * 1013) % 30000 - 15000);
    }
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

// The files of a folder tree, relative to it, hidden temporaries included.
inline std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            files.push_back(std::filesystem::relative(entry.path(), folder).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Archive commands on a session of SessionTest, copying on a worker
// thread with no window.
class ArchiveTest : public SessionTest {
protected:
    ArchiveTest() { session_->NewSession(false); }

    ArchiveCommands Commands(CopyRunner& runner) {
        return ArchiveCommands(ArchiveServices{*session_, box_, dialog_, registry_, runner,
                                               [this] { return running_; }, dir_.File("Home")});
    }
    std::string Folder(const std::string& name) {
        const std::string path = dir_.File(name) + "/";
        std::filesystem::create_directories(path);
        return path;
    }
    // Opens a session file of these records as the console's session.
    void OpenSession(const std::string& path, const RecordArray& records) {
        ASSERT_EQ(WriteSessionFile(path, records), 0);
        ASSERT_TRUE(session_->LoadSession(path));
    }

    WaitingCopyRunner runner_;
    bool running_ = false;
};

}  // namespace tamberline::testing
