#pragma once

#include "readers/XmlDelegate.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellacor {

/// Reads the workbook part (xl/workbook.xml) for the relationship id of its first <sheet>: the
/// tab the user sees first, whatever part it is stored in.
class WorkbookDelegate : public XmlDelegate {
public:
    /// The r:id of the first <sheet>, once read; absent if it has none or none was found.
    std::optional<std::string> firstSheetRelationship;
    /// True once the first <sheet> has been seen, with or without an id.
    bool hasSeenSheet = false;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view) override {}
    void didEndElement(std::string_view) override {}
};

} // namespace pellacor
