#include "support/temp_dir.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tamberline::testing {

TempDir::TempDir() {
    if (!dir_.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

std::string TempDir::Path() const {
    return dir_.path().toStdString();
}

std::string TempDir::File(const std::string& name) const {
    return Path() + "/" + name;
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tamberline::testing
