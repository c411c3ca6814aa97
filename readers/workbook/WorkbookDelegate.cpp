#include "readers/workbook/WorkbookDelegate.h"

namespace pellacor {

void WorkbookDelegate::didStartElement(std::string_view localName,
                                       const XmlAttributes& attributes) {
    if (localName != "sheet")
        return;
    Sheet sheet;
    if (const char* name = attributes.find("name"))
        sheet.name = name;
    // The relationship id is the namespaced "id"; "sheetId" is a different attribute.
    if (const char* id = attributes.find("id"))
        sheet.relationship = id;
    if (const char* state = attributes.find("state"))
        sheet.isHidden =
            std::string_view(state) == "hidden" || std::string_view(state) == "veryHidden";
    sheets.push_back(std::move(sheet));
}

} // namespace pellacor
