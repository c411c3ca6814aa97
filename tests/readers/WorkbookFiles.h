#pragma once
// Helpers that build workbooks for the reader tests: parts written as XML strings, then
// zipped with the zip program, the way a spreadsheet application stores them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

namespace pellacor::testing {

/// A fresh directory under the system temporary directory, removed at the end of the test.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellacor-test-XXXXXX");
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    /// Names of the entries directly inside the directory.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

/// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Zips `parts` (archive path to content) into `directory/fileName` and returns its path.
inline std::filesystem::path zipParts(const std::filesystem::path& directory,
                                      const std::string& fileName,
                                      const std::map<std::string, std::string>& parts) {
    const std::filesystem::path staging = directory / (fileName + ".parts");
    for (const auto& [name, content] : parts)
        writeText(staging / name, content);
    const std::filesystem::path archive = directory / fileName;
    const std::string command = "cd '" + staging.string() + "' && zip -q -X -r '" +
                                archive.string() + "' . && cd / && rm -rf '" + staging.string() +
                                "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("zip failed: " + command);
    return archive;
}

/// A worksheet part around the XML of its rows.
inline std::string worksheet(const std::string& rows) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<sheetData>" +
           rows + "</sheetData></worksheet>";
}

/// A shared-strings part holding one plain item per text.
inline std::string sharedStrings(const std::vector<std::string>& texts) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst "
                      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const std::string& text : texts)
        xml += "<si><t>" + text + "</t></si>";
    return xml + "</sst>";
}

/// A row of inline-string cells placed from column A.
inline std::string inlineRow(const std::vector<std::string>& texts) {
    std::string xml = "<row>";
    char column = 'A';
    for (const std::string& text : texts)
        xml += std::string("<c r=\"") + column++ + "1\" t=\"inlineStr\"><is><t>" + text +
               "</t></is></c>";
    return xml + "</row>";
}

/// Rewrites the uncompressed size that the central directory of `archive` lists for `entry`,
/// so that the archive claims contents it does not have.
inline void setListedSize(const std::filesystem::path& archive, const std::string& entry,
                          std::uint32_t size) {
    std::string bytes = readText(archive);
    const std::string signature("PK\x01\x02", 4);
    bool found = false;
    for (std::size_t at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 4)) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        const std::size_t nameLength = byte(28) | (byte(29) << 8);
        if (bytes.compare(at + 46, nameLength, entry) != 0)
            continue;
        for (int i = 0; i < 4; ++i)
            bytes[at + 24 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        found = true;
    }
    if (!found)
        throw std::runtime_error("no entry " + entry);
    std::ofstream(archive, std::ios::binary) << bytes;
}

/// Corrupts the stored data of `entry` in `archive`, so that extracting it fails.
inline void damageEntry(const std::filesystem::path& archive, const std::string& entry) {
    std::string bytes = readText(archive);
    const std::string signature("PK\x03\x04", 4);
    for (std::size_t at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 4)) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        const std::size_t nameLength = byte(26) | (byte(27) << 8);
        const std::size_t extraLength = byte(28) | (byte(29) << 8);
        const std::size_t dataLength = byte(18) | (byte(19) << 8) | (byte(20) << 16);
        if (bytes.compare(at + 30, nameLength, entry) != 0)
            continue;
        const std::size_t data = at + 30 + nameLength + extraLength;
        for (std::size_t i = 0; i < dataLength; i += 2)
            bytes[data + i] = static_cast<char>(bytes[data + i] ^ 0x5A);
        std::ofstream(archive, std::ios::binary) << bytes;
        return;
    }
    throw std::runtime_error("no entry " + entry);
}

} // namespace pellacor::testing
