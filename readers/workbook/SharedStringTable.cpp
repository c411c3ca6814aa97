#include "readers/workbook/SharedStringTable.h"

#include <algorithm>
#include <charconv>

namespace pellacor {

SharedStringTable::SharedStringTable(std::vector<std::uint64_t> numbers,
                                     std::vector<std::string> texts)
    : numbers_(std::move(numbers)), texts_(std::move(texts)) {
    // Numbers 0, 1, 2, ... need no list: the position is the number.
    listsNumbers_ = !numbers_.empty() && numbers_.back() != numbers_.size() - 1;
    if (!listsNumbers_)
        numbers_.clear();
}

void SharedStringTable::append(std::uint64_t number, std::string text) {
    if (!listsNumbers_ && number != texts_.size()) {
        // The first gap: from here on the numbers are listed.
        listsNumbers_ = true;
        numbers_.reserve(texts_.size() + 1);
        for (std::uint64_t i = 0; i < texts_.size(); ++i)
            numbers_.push_back(i);
    }
    if (listsNumbers_)
        numbers_.push_back(number);
    texts_.push_back(std::move(text));
}

const std::string* SharedStringTable::find(std::uint64_t number) const noexcept {
    if (!listsNumbers_)
        return number < texts_.size() ? &texts_[static_cast<std::size_t>(number)] : nullptr;
    const auto found = std::lower_bound(numbers_.begin(), numbers_.end(), number);
    if (found == numbers_.end() || *found != number)
        return nullptr;
    return &texts_[static_cast<std::size_t>(found - numbers_.begin())];
}

const std::string* SharedStringTable::find(std::string_view value) const noexcept {
    const std::optional<std::uint64_t> number = numberOf(value);
    return number ? find(*number) : nullptr;
}

std::optional<std::uint64_t> SharedStringTable::numberOf(std::string_view value) noexcept {
    // from_chars takes a minus but no plus; either sign may lead the digits, and "-0" is 0.
    bool negative = false;
    if (value.size() >= 2 && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    if (value.empty() || value.front() < '0' || value.front() > '9')
        return std::nullopt;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size())
        return std::nullopt;
    // Numbers were read as signed 64-bit values: past that range is no number at all.
    if (number > static_cast<std::uint64_t>(INT64_MAX) || (negative && number != 0))
        return std::nullopt;
    return number;
}

} // namespace pellacor
