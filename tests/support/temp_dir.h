// A scratch working directory for a test: created empty, entered, and removed
// afterwards. The programs open their files by plain name in the current
// directory, so tests run them from here.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace korvana::testing {

class ScopedWorkDir {
public:
    ScopedWorkDir() : m_previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvana-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        std::filesystem::current_path(m_path);
    }
    ~ScopedWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

//! Writes `lines` with CR LF line ends, as the programs' own files have.
inline void writeLines(const std::string& fileName, const std::vector<std::string>& lines) {
    std::ofstream out(fileName, std::ios::binary);
    for (const std::string& line : lines) out << line << "\r\n";
}

inline std::string readWhole(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

//! Copies shipped tables from data/ into the current directory.
inline void copyShippedTables(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::filesystem::copy_file(std::filesystem::path(KORVANA_DATA_DIR) / name, name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace korvana::testing
