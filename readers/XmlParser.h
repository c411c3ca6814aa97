#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

struct XML_ParserStruct;

namespace pellacor {

class XmlDelegate;

/// Owns one expat parser that reports to a delegate. Untrusted input is safe to feed: external
/// entities are never loaded and entity expansion stays bounded. A malformed document stops
/// the run quietly; the events reported until then stand.
class XmlParser {
public:
    /// A fresh parser reporting to `delegate`, which must outlive it.
    explicit XmlParser(XmlDelegate& delegate);
    /// Frees the parser.
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;
    /// Takes over `other`'s parser; `other` is left empty.
    XmlParser(XmlParser&& other) noexcept;
    XmlParser& operator=(XmlParser&& other) noexcept;

    /// Feeds the next piece of the document (`isFinal` for the last). Returns false once the
    /// document has turned out malformed; later pieces are then ignored.
    bool feed(std::string_view bytes, bool isFinal);
    /// Streams the file at `path` through the parser in chunks. Returns whether the document was
    /// well-formed. Throws `FileError` when the file cannot be opened or read, or is a link.
    /// While `isBeingWritten` (if given) returns true, a missing file or its end is waited out:
    /// the file is read as another process writes it.
    bool feedFile(const std::filesystem::path& path,
                  const std::function<bool()>& isBeingWritten = {});

    /// Runs a fresh parser over a whole document in memory; returns whether it was well-formed.
    static bool run(std::string_view document, XmlDelegate& delegate);
    /// Runs a fresh parser over the file at `path`; waits and throws as `feedFile` does.
    static bool runFile(const std::filesystem::path& path, XmlDelegate& delegate,
                        const std::function<bool()>& isBeingWritten = {});

private:
    XML_ParserStruct* parser_;
    bool failed_ = false;
};

} // namespace pellacor
