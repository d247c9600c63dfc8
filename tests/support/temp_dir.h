#pragma once

#include <QTemporaryDir>
#include <string>

namespace tamberline::testing {

// A fresh folder removed with the test.
class TempDir {
public:
    TempDir();
    std::string Path() const;  // without a trailing '/'
    std::string File(const std::string& name) const;
    // Writes `bytes` into `name` and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // The bytes of `name`; empty when it cannot be read.
    std::string Read(const std::string& name) const;

private:
    QTemporaryDir dir_;
};

}  // namespace tamberline::testing
