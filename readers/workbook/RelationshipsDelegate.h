#pragma once

#include "readers/workbook/XmlDelegate.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellacor {

/// Reads a relationships part (xl/_rels/workbook.xml.rels) for the target of one relationship.
class RelationshipsDelegate : public XmlDelegate {
public:
    /// A reader looking for the relationship whose Id is `wantedId`.
    explicit RelationshipsDelegate(std::string wantedId) : wantedId(std::move(wantedId)) {}

    /// The Id looked for.
    const std::string wantedId;
    /// Its Target as written, once found; absent for an external target or none found.
    std::optional<std::string> target;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view) override {}
    void didEndElement(std::string_view) override {}

    /// The archive path of the part that `target` names from the workbook part in xl/: relative
    /// to xl/, or from the package root when it starts with '/'; percent escapes are decoded
    /// and "." and ".." resolved. Absent when it climbs above the root or is no plain part name.
    static std::optional<std::string> partPath(std::string_view target);
};

} // namespace pellacor
