#include "readers/workbook/ArchiveListing.h"

#include "readers/workbook/UnzipProcess.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace pellacor {
namespace {

std::string_view takeToken(std::string_view& text) {
    const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
    text.remove_prefix(start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view token = text.substr(0, end);
    text.remove_prefix(end);
    return token;
}

bool isNumber(std::string_view token) {
    return !token.empty() &&
           std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "20240131.091500", as -T writes the time.
bool isTimestamp(std::string_view token) {
    return token.size() == 15 && token[8] == '.' && isNumber(token.substr(0, 8)) &&
           isNumber(token.substr(9));
}

std::uint64_t saturatingSize(std::string_view digits) {
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    return error == std::errc::result_out_of_range ? std::numeric_limits<std::uint64_t>::max()
                                                   : size;
}

// A name unzip would place outside its target: absolute, or climbing with "..". Writers on
// some systems part folders with backslashes, which unzip may read as slashes too.
bool climbs(std::string_view name) {
    if (name.starts_with('/') || name.starts_with('\\'))
        return true;
    while (!name.empty()) {
        const std::size_t end = std::min(name.find_first_of("/\\"), name.size());
        if (name.substr(0, end) == "..")
            return true;
        name.remove_prefix(std::min(end + 1, name.size()));
    }
    return false;
}

} // namespace

std::optional<ArchiveListing> ArchiveListing::read(const std::filesystem::path& archive) {
    ArchiveListing listing;
    UnzipProcess process({"-Z", "-l", "-T", archive.string()});
    const int status = process.finish([&](std::string_view line) { listing.addLine(line); });
    // Status 1 is a warning (bytes before the first entry, say): the listing still stands.
    if (status == 0 || (status == 1 && listing.size() > 0))
        return listing;
    return std::nullopt;
}

void ArchiveListing::addLine(std::string_view line) {
    // "-rw-r--r--  3.0 unx    12345 tx     2345 defN 20240131.091500 xl/worksheets/sheet1.xml"
    std::string_view rest = line;
    const std::string_view mode = takeToken(rest);
    takeToken(rest); // version made by
    takeToken(rest); // system made on
    const std::string_view size = takeToken(rest);
    const std::string_view kind = takeToken(rest);
    const std::string_view packed = takeToken(rest);
    takeToken(rest); // method
    const std::string_view time = takeToken(rest);
    if (mode.size() < 7 || kind.size() != 2 || !isNumber(size) || !isNumber(packed) ||
        !isTimestamp(time) || rest.size() < 2 || rest.front() != ' ')
        return;
    // One space parts the time from the name, which may itself begin with spaces.
    const std::string_view name = rest.substr(1);
    // Encrypted entries are listed with an upper-case T or B.
    const bool isEncrypted = kind[0] == 'T' || kind[0] == 'B';
    const auto [entry, isNew] =
        entries_.try_emplace(std::string(name), Entry{saturatingSize(size), isEncrypted});
    if (!flaw_) {
        if (mode.front() == 'l')
            flaw_ = Flaw{Flaw::Kind::link, std::string(name)};
        else if (climbs(name))
            flaw_ = Flaw{Flaw::Kind::outside, std::string(name)};
        else if (!isNew)
            flaw_ = Flaw{Flaw::Kind::repeated, std::string(name)};
    }
}

std::uint64_t ArchiveListing::sizeOf(const std::string& name) const {
    const auto found = entries_.find(name);
    return found == entries_.end() ? 0 : found->second.size;
}

bool ArchiveListing::isEncrypted(const std::string& name) const {
    const auto found = entries_.find(name);
    return found != entries_.end() && found->second.isEncrypted;
}

} // namespace pellacor
