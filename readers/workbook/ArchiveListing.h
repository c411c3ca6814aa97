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
    /// The uncompressed size listed for `name`, or 0.
    std::uint64_t sizeOf(const std::string& name) const;
    /// True when an entry named `name` is encrypted.
    bool isEncrypted(const std::string& name) const;

    /// An entry no workbook holds: a symbolic link, a name that leaves the folder it is
    /// extracted to ("/x", "../x", "a/../../x"), or a name listed twice (readers differ on
    /// which of the two they take).
    struct Flaw {
        enum class Kind { link, outside, repeated };
        Kind kind;
        std::string name;
    };
    /// The first such entry, if any.
    const std::optional<Flaw>& flaw() const noexcept { return flaw_; }
    /// How many entries were listed.
    std::size_t size() const noexcept { return entries_.size(); }

private:
    struct Entry {
        std::uint64_t size = 0;
        bool isEncrypted = false;
    };
    std::unordered_map<std::string, Entry> entries_;
    std::optional<Flaw> flaw_;
};

} // namespace pellacor
