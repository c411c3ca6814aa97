#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

struct XML_ParserStruct;

namespace pellacor {

class XmlDelegate;

/// Owns one expat parser that reports to a delegate. Untrusted input is safe to feed: external
/// entities are never loaded, entity expansion stays bounded, and a single item (a tag with
/// its attributes, a comment) may not run past `maximumItemBytes`. A malformed document stops
/// the run quietly; the events reported until then stand.
class XmlParser {
public:
    /// The longest stretch of a document that may pass without an event. No cell of a
    /// spreadsheet holds more than 32,767 characters; an item far longer is damage or an attack
    /// on the parser, whose time grows with the square of an item fed in pieces.
    static constexpr std::size_t maximumItemBytes = std::size_t(64) << 20;

    /// A fresh parser reporting to `delegate`, which must outlive it.
    explicit XmlParser(XmlDelegate& delegate);
    /// Frees the parser.
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    /// Feeds the next piece of the document (`isFinal` for the last). Returns false once the
    /// document has turned out malformed; later pieces are then ignored.
    bool feed(std::string_view bytes, bool isFinal);
    /// Streams the file open at `fd` (named `name` in messages) through the parser from where
    /// it stands to its end, or until the delegate wants no more. Returns whether the document
    /// read was well-formed. While
    /// `isBeingWritten` (if given) returns true, the file's end is waited out: the file is read
    /// as another process writes it. Throws `FileError` when the file cannot be read and
    /// `TableError` for an item longer than `maximumItemBytes`.
    bool feedDescriptor(int fd, const std::string& name,
                        const std::function<bool()>& isBeingWritten = {});

    /// Runs a fresh parser over a whole document in memory; returns whether it was well-formed.
    static bool run(std::string_view document, XmlDelegate& delegate);

private:
    // Parses `bytes` bytes placed in expat's buffer; false when the document is malformed.
    bool parseBuffered(std::size_t bytes, bool isFinal);

    XML_ParserStruct* parser_;
    XmlDelegate& delegate_;
    bool failed_ = false;
    // Set by every event; cleared as each piece is handed over.
    bool sawEvent_ = false;
    std::size_t bytesWithoutEvent_ = 0;

    friend struct XmlEvents;
};

} // namespace pellacor
