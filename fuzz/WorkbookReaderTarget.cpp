// Arbitrary bytes as a workbook: records or the reader's own error, and the work directory
// gone afterwards either way.
#include "FuzzTargets.h"

#include "files/FileError.h"
#include "readers/TableError.h"
#include "readers/workbook/ExcelParser.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pellacor::fuzz {
namespace {

namespace fs = std::filesystem;

// A temporary directory of this process's own, so that leftovers can be seen; removed when the
// process ends normally.
class PrivateTemporary {
public:
    PrivateTemporary() {
        std::string pattern = (fs::temp_directory_path() / "pellacor-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        ::setenv("TMPDIR", pattern.c_str(), 1);
        path_ = pattern;
    }
    ~PrivateTemporary() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    PrivateTemporary(const PrivateTemporary&) = delete;
    PrivateTemporary& operator=(const PrivateTemporary&) = delete;

    const fs::path& path() const noexcept { return path_; }

private:
    fs::path path_;
};

const fs::path& privateTemporary() {
    static const PrivateTemporary folder;
    return folder.path();
}

} // namespace

void workbookReader(Input data) {
    const fs::path& temporary = privateTemporary();
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    try {
        const std::vector<SequenceEntry> entries = ExcelParser::parseData(bytes);
        require(!entries.empty(), "success without records");
        for (const SequenceEntry& e : entries)
            require(!e.identifier.empty() && !e.sequence.empty(), "a record with an empty field");
    } catch (const ExcelParser::ExcelError& e) {
        require(e.kind() == ExcelParser::ExcelError::Case::invalidFileFormat ||
                    e.kind() == ExcelParser::ExcelError::Case::noDataFound,
                std::string("unexpected workbook error: ") + e.what());
    } catch (const TableError&) {
        // A refusal in the reader's own words: a damaged, unsafe or locked archive.
    } catch (const FileError& e) {
        throw InvariantViolation(std::string("file-system failure on a workbook: ") + e.what());
    }
    require(fs::is_empty(temporary), "the work directory was left behind");
}

} // namespace pellacor::fuzz
