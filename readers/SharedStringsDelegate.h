#pragma once

#include "readers/XmlDelegate.h"

#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads a workbook's shared-string table (xl/sharedStrings.xml): one text per <si> item, the
/// <t> texts of its formatted runs joined in order, phonetic runs (<rPh>) left out.
class SharedStringsDelegate : public XmlDelegate {
public:
    /// The table read so far; entry i is the text that cells refer to by the number i.
    std::vector<std::string> strings;
    /// Text collected for the item being read.
    std::string currentString;
    /// True between the start and the end of a <t> element.
    bool isInText = false;
    /// How many <rPh> elements enclose the current position; their text is a reading aid.
    int phoneticDepth = 0;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view text) override;
    void didEndElement(std::string_view localName) override;

    /// `text` with each escape _xHHHH_ (the spreadsheet's way of storing characters that XML
    /// cannot carry, such as a lone CR) replaced by its character.
    static std::string decodeEscapes(std::string_view text);
};

} // namespace pellacor
