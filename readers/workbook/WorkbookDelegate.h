#pragma once

#include "readers/workbook/XmlDelegate.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads the workbook part (xl/workbook.xml) for its sheets, in the order of their tabs: each
/// one's name, the relationship id that leads to its part, and whether it is hidden.
class WorkbookDelegate : public XmlDelegate {
public:
    struct Sheet {
        std::string name;
        std::optional<std::string> relationship; ///< its r:id; absent when it has none
        bool isHidden = false;                   ///< "hidden" or "veryHidden"
    };

    /// The sheets read so far, in tab order.
    std::vector<Sheet> sheets;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view) override {}
    void didEndElement(std::string_view) override {}
};

} // namespace pellacor
