#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pellacor {

/// The entries of a zip archive as the unzip program lists them in its zipinfo mode
/// (`unzip -Z -l -T`): sizes, known before anything is extracted, and what each entry is.
class ArchiveListing {
public:
    /// Lists the archive at `archive`; absent when unzip does not accept it as an archive.
    /// Throws `FileError` when unzip cannot be started.
    static std::optional<ArchiveListing> read(const std::filesystem::path& archive);

    /// Takes in one line of the listing; lines other than entries are ignored.
    void addLine(std::string_view line);
    /// True when the archive holds an entry named exactly `name`.
    bool contains(const std::string& name) const { return entries_.count(name) != 0; }
    /// The uncompressed size listed for `name` (for a name listed twice, the sum), or 0.
    std::uint64_t sizeOf(const std::string& name) const;
    /// True when an entry named `name` is encrypted.
    bool isEncrypted(const std::string& name) const;
    /// True when some entry is a symbolic link or has a name that leaves the folder it is
    /// extracted to ("/x", "../x", "a/../../x"): no workbook holds such entries.
    bool hasUnsafeEntries() const noexcept { return hasUnsafeEntries_; }
    /// How many entries were listed.
    std::size_t size() const noexcept { return entries_.size(); }

private:
    struct Entry {
        std::uint64_t size = 0;
        bool isEncrypted = false;
    };
    std::unordered_map<std::string, Entry> entries_;
    bool hasUnsafeEntries_ = false;
};

} // namespace pellacor
