#pragma once

#include "files/FileDescriptor.h"
#include "readers/workbook/UnzipProcess.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace pellacor {

class ArchiveListing;
class XmlDelegate;

/// One part of a workbook, unpacked by its own unzip run into a file that this reader made in
/// the work directory, and readable while it is written. unzip only writes to the standard
/// output it is given, so it creates nothing in the file system itself: no name or link in the
/// archive can make it write anywhere else.
class ArchivePart {
public:
    /// Starts unpacking the part `name` of `archive` into the new file `file`; it may grow no
    /// larger than `listing` says. Throws `FileError`.
    ArchivePart(const std::filesystem::path& archive, const ArchiveListing& listing,
                const std::string& name, const std::filesystem::path& file);

    /// Runs `delegate` over the part from its start, as far as the delegate wants, while unzip
    /// is still writing it. Returns whether the document read was well-formed. Throws
    /// `FileError`, and `TableError` for an item too long for any cell.
    /// `atPiece`, when given, is told before each piece is read how many bytes are read.
    bool read(XmlDelegate& delegate,
              const std::function<void(std::uint64_t offset)>& atPiece = nullptr);
    /// The size the archive's listing gives the part.
    std::uint64_t listedSize() const noexcept { return listedSize_; }
    /// Waits for unzip to end. Throws `ExcelError` (`invalidFileFormat`) unless it unpacked the
    /// whole part, and `TableError` when the temporary folder filled up first.
    void finish();
    /// True once unzip has ended.
    bool hasExited() { return writer_.hasExited(); }
    /// Removes the unpacked file, giving its space back.
    void discard();

private:
    ArchivePart(const std::filesystem::path& archive, const ArchiveListing& listing,
                const std::string& name, const std::filesystem::path& file, FileDescriptor output);

    std::filesystem::path file_;
    std::uint64_t listedSize_;
    FileDescriptor reader_;
    UnzipProcess writer_;
};

} // namespace pellacor
