#include "readers/WorkbookDelegate.h"

namespace pellacor {

void WorkbookDelegate::didStartElement(std::string_view localName,
                                       const XmlAttributes& attributes) {
    if (hasSeenSheet || localName != "sheet")
        return;
    hasSeenSheet = true;
    // The relationship id is the namespaced "id"; "sheetId" is a different attribute.
    if (const char* id = attributes.find("id"))
        firstSheetRelationship = id;
}

} // namespace pellacor
