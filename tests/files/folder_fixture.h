#pragma once

#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace tamberline::testing {

// A real folder tree in a temporary folder, changed by this process or,
// where a test needs it, by another one.
class FolderFixture {
public:
    FolderFixture() = default;
    FolderFixture(const FolderFixture&) = delete;
    FolderFixture& operator=(const FolderFixture&) = delete;
    // Byte-exact removal: Qt's own cannot remove names that are not UTF-8.
    ~FolderFixture() {
        std::error_code error;
        std::filesystem::remove_all(dir_.Path(), error);
    }

    // The tree's root, ending in '/'.
    std::string Root() const { return dir_.Path() + "/"; }
    std::string Folder(const std::string& relative) const {
        const std::string path = Root() + relative;
        ::mkdir(path.c_str(), 0777);
        return path + "/";
    }
    std::string File(const std::string& relative, const std::string& bytes = "x") const {
        const std::string path = Root() + relative;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Runs a shell command in another process and waits for it.
    static void Other(const std::string& command) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

private:
    TempDir dir_;
};

// Lets the event loop run until `done` holds or `ms` have passed.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Lets the event loop run for `ms`, so that reports that are coming arrive.
inline void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace tamberline::testing
