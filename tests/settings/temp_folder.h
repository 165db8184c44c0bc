#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace suantiji {

// A fresh folder under /tmp, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = "/tmp/suantiji-settings-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

#ifndef SUANTIJI_TEST_DATA_DIR
#define SUANTIJI_TEST_DATA_DIR "tests/data"
#endif

// The fixtures folder: SUANTIJI_TEST_DATA when it names one, else the source tree's.
inline std::string TestDataFile(const std::string& name) {
    const char* folder = std::getenv("SUANTIJI_TEST_DATA");
    const std::string base =
        folder && std::filesystem::is_directory(folder) ? folder : SUANTIJI_TEST_DATA_DIR;
    return base + "/" + name;
}

}  // namespace suantiji
