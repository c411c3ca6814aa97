#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pellacor {

/// The entries of a zip archive with their uncompressed sizes, as the unzip program lists them
/// (`unzip -l`). The sizes are what the archive claims, known before anything is extracted.
class ArchiveListing {
public:
    /// Lists the archive at `archive`; absent when unzip does not accept it as an archive.
    /// Throws `FileError` when unzip cannot be started.
    static std::optional<ArchiveListing> read(const std::filesystem::path& archive);

    /// Takes in one line of unzip's listing; lines other than entries are ignored.
    void addLine(std::string_view line);
    /// True when the archive holds an entry named exactly `name`.
    bool contains(const std::string& name) const { return sizes_.count(name) != 0; }
    /// The uncompressed size listed for `name` (for a name listed twice, the sum), or 0.
    std::uint64_t sizeOf(const std::string& name) const;

private:
    enum class Section { before, entries, after };
    Section section_ = Section::before;
    std::unordered_map<std::string, std::uint64_t> sizes_;
};

} // namespace pellacor
