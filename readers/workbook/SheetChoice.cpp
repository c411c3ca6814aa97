#include "readers/workbook/SheetChoice.h"

#include "core/UnicodeText.h"
#include "files/DisplayName.h"
#include "readers/ChoiceError.h"
#include "readers/ColumnChoice.h"

namespace pellacor {
namespace {

std::string folded(const std::string& name) {
    return UnicodeText::toLower(UnicodeText::trim(name, true));
}

} // namespace

bool SheetChoice::isNamed(std::size_t index, const std::string& name, const std::string& wanted) {
    const ColumnRef ref = ColumnRef::parse(wanted);
    if (ref.kind == ColumnRef::Kind::number)
        return ref.number == index + 1;
    return folded(name) == folded(wanted);
}

std::size_t SheetChoice::position(const std::vector<WorkbookDelegate::Sheet>& sheets,
                                  const std::optional<std::string>& wanted) {
    if (!wanted) {
        // The first sheet the user sees: hidden ones are skipped, unless all are.
        for (std::size_t i = 0; i < sheets.size(); ++i)
            if (!sheets[i].isHidden)
                return i;
        return 0;
    }
    const ColumnRef ref = ColumnRef::parse(*wanted);
    if (ref.kind == ColumnRef::Kind::number && ref.number <= sheets.size())
        return ref.number - 1;
    const std::string name = folded(*wanted);
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (folded(sheets[i].name) == name)
            return i;
    std::string list;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        list += (i ? ", " : "") + std::to_string(i + 1) + " \u201C" +
                DisplayName::oneLine(sheets[i].name) + "\u201D";
    throw ChoiceError(
        "There is no sheet \u201C" + DisplayName::oneLine(*wanted) + "\u201D in this workbook; " +
        (sheets.empty() ? std::string("it lists no sheets.") : "it has " + list + "."));
}

} // namespace pellacor
