#pragma once
// Workbooks for the reader tests: parts written as XML strings, zipped byte by byte, and read
// with TMPDIR pointed at a folder that must be empty again afterwards.

#include "tests/readers/HostileInput.h"
#include "tests/readers/workbook/ZipBuilder.h"

#include "readers/workbook/ExcelParser.h"

#include <map>

namespace pellacor::testing {

using namespace pellacor::hostile;

/// A worksheet part around the XML of its rows, with `doctype` before the root when given.
inline std::string worksheet(const std::string& rows, const std::string& doctype = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype +
           "<worksheet "
           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
           rows + "</sheetData></worksheet>";
}

/// A shared-strings part holding one plain item per text.
inline std::string sharedStrings(const std::vector<std::string>& texts) {
    std::string xml = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const std::string& text : texts)
        xml += "<si><t>" + text + "</t></si>";
    return xml + "</sst>";
}

/// A cell holding `value`, of type `type` when given.
inline std::string cell(const std::string& reference, const std::string& value,
                        const std::string& type = "") {
    return "<c r=\"" + reference + "\"" + (type.empty() ? "" : " t=\"" + type + "\"") + "><v>" +
           value + "</v></c>";
}

/// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

/// Each test reads with TMPDIR set to its own folder, checked empty at the end.
class WorkbookTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(namesIn(temporary), std::vector<std::string>()) << "work directory left";
    }

    static std::string zip(const std::map<std::string, std::string>& parts) {
        ZipBuilder builder;
        for (const auto& [name, content] : parts)
            builder.addStored(name, content);
        return builder.bytes();
    }

    // Reads `archive` saved as `name`: "identifier sequence[ description]" a record, or the
    // reader's message.
    std::string read(std::string_view archive, const std::string& name = "book.xlsx") {
        writeFile(folder / name, archive);
        return readFile(folder / name);
    }
    static std::string readFile(const fs::path& file, bool descriptions = false) {
        try {
            std::string lines;
            for (const SequenceEntry& e : ExcelParser::parse(file))
                lines += e.identifier + " " + e.sequence +
                         (descriptions ? " " + e.description.value_or("") : "") + "\n";
            return lines;
        } catch (const ExcelParser::ExcelError& e) {
            return e.what();
        }
    }

    ScratchFolder folder;
    const fs::path temporary = folder / "tmp";
    const bool made = fs::create_directory(temporary);
    ScopedEnvironment tmpdir{"TMPDIR", temporary.string()};
};

inline const std::string invalidFormat = "Failed to parse Excel file: Invalid Excel file format. "
                                         "The file does not appear to be a valid .xlsx file.";
inline const std::string noData = "Failed to parse Excel file: No data found in Excel file or "
                                  "the first sheet is empty.";
inline const std::string sheetPart = "xl/worksheets/sheet1.xml";

} // namespace pellacor::testing
