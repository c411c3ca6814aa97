#pragma once

#include "readers/workbook/SharedStringTable.h"
#include "readers/workbook/XmlDelegate.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads a workbook's shared-string table (xl/sharedStrings.xml): one text per <si> item, the
/// <t> texts of its formatted runs joined in order, phonetic runs (<rPh>) left out.
class SharedStringsDelegate : public XmlDelegate {
public:
    /// A reader that keeps every item.
    SharedStringsDelegate() = default;
    /// A reader that keeps only the items numbered `wanted` (rising, without repeats): what a
    /// sheet names. It wants nothing more once it has passed the last of them.
    explicit SharedStringsDelegate(std::vector<std::uint64_t> wanted);

    /// The texts of the items kept so far: every item (entry i is the text that cells refer to
    /// by the number i), or only the wanted ones in order.
    const std::vector<std::string>& strings() const noexcept { return table_.texts(); }
    /// The items kept so far, by their numbers; it grows as the part is read.
    const SharedStringTable& table() const noexcept { return table_; }
    /// How many items have ended so far, kept or not.
    std::uint64_t itemCount = 0;
    /// Text collected for the item being read.
    std::string currentString;
    /// True between the start and the end of a <t> element.
    bool isInText = false;
    /// How many <rPh> elements enclose the current position; their text is a reading aid.
    int phoneticDepth = 0;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view text) override;
    void didEndElement(std::string_view localName) override;
    bool wantsMore() const override;

    /// The items kept, by their numbers; the reader is spent afterwards.
    SharedStringTable takeTable();

    /// `text` with each escape _xHHHH_ (the spreadsheet's way of storing characters that XML
    /// cannot carry, such as a lone CR) replaced by its character.
    static std::string decodeEscapes(std::string_view text);

private:
    SharedStringTable table_;
    bool isFiltered_ = false;
    std::vector<std::uint64_t> wanted_;
    std::size_t nextWanted_ = 0; // the first of `wanted_` not yet passed
};

} // namespace pellacor
