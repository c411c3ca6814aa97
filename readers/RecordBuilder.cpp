#include "readers/RecordBuilder.h"

#include "core/UnicodeText.h"
#include "readers/HeaderRow.h"

#include <algorithm>

namespace pellacor {

std::optional<RecordView> RecordBuilder::recordOf(std::span<const std::string_view> fields,
                                                  bool sequenceMayNeedCleaning) {
    if (!hasTestedHeader_) {
        const bool hasValue = std::any_of(fields.begin(), fields.end(),
                                          [](std::string_view field) { return !field.empty(); });
        if (hasValue || !style_.headerNeedsValue) {
            hasTestedHeader_ = true;
            if (HeaderRow::test(fields))
                return std::nullopt;
        }
    }
    if (fields.size() < 2)
        return std::nullopt;
    const std::string_view identifier = UnicodeText::trim(fields[0], style_.trimsLineBreaks);
    std::string_view sequence = fields[1];
    if (sequenceMayNeedCleaning && needsCleaning(sequence)) {
        cleaned_ = cleanSequence(sequence);
        sequence = cleaned_;
    }
    if (identifier.empty() || sequence.empty())
        return std::nullopt;
    std::optional<std::string_view> description;
    if (fields.size() > 2) {
        const std::string_view trimmed = UnicodeText::trim(fields[2], style_.trimsLineBreaks);
        if (!trimmed.empty() || style_.keepsEmptyDescription)
            description = trimmed;
    }
    ++records_;
    return RecordView{identifier, sequence, description};
}

bool RecordBuilder::needsCleaning(std::string_view text) noexcept {
    // Most sequences hold no byte up to the space at all, which one branch-free pass
    // (vectorised by the compiler) tells; only the rest are searched exactly. The cells are
    // long and out of cache, so memory speed is what counts.
    unsigned char least = 0xFF;
    for (const char c : text)
        least = std::min(least, static_cast<unsigned char>(c));
    return least <= ' ' && text.find_first_of("\n\r \t") != std::string_view::npos;
}

std::string RecordBuilder::cleanSequence(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
            out += c;
    return out;
}

} // namespace pellacor
