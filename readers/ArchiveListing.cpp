#include "readers/ArchiveListing.h"

#include "readers/UnzipProcess.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace pellacor {
namespace {

void skipSpaces(std::string_view& text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
}

std::string_view takeToken(std::string_view& text) {
    skipSpaces(text);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view token = text.substr(0, end);
    text.remove_prefix(end);
    return token;
}

} // namespace

std::optional<ArchiveListing> ArchiveListing::read(const std::filesystem::path& archive) {
    ArchiveListing listing;
    UnzipProcess process({"-l", archive.string()}, UnzipProcess::Output::captured);
    if (!process.finish([&](std::string_view line) { listing.addLine(line); }))
        return std::nullopt;
    return listing;
}

void ArchiveListing::addLine(std::string_view line) {
    // Entries sit between two rules of dashes.
    if (line.starts_with("---")) {
        section_ = section_ == Section::before ? Section::entries : Section::after;
        return;
    }
    if (section_ != Section::entries)
        return;
    // "   12345  2024-01-31 09:15   xl/worksheets/sheet1.xml"
    const std::string_view length = takeToken(line);
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), size);
    if (error == std::errc::result_out_of_range)
        size = std::numeric_limits<std::uint64_t>::max();
    else if (error != std::errc() || end != length.data() + length.size())
        return;
    takeToken(line); // date
    takeToken(line); // time
    // Three spaces part the time from the name; a name may itself begin with spaces.
    const std::size_t nameStart = std::min<std::size_t>(3, line.find_first_not_of(' '));
    if (nameStart >= line.size())
        return;
    line.remove_prefix(nameStart);
    std::uint64_t& total = sizes_[std::string(line)];
    total = size > std::numeric_limits<std::uint64_t>::max() - total
                ? std::numeric_limits<std::uint64_t>::max()
                : total + size;
}

std::uint64_t ArchiveListing::sizeOf(const std::string& name) const {
    const auto found = sizes_.find(name);
    return found == sizes_.end() ? 0 : found->second;
}

} // namespace pellacor
