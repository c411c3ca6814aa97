#include "readers/workbook/XmlParser.h"

#include "files/FileError.h"
#include "readers/TableError.h"
#include "readers/workbook/XmlDelegate.h"

// The library is built with DTD support; this makes its entity-expansion limits visible.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <new>
#include <unistd.h>

namespace pellacor {
namespace {

// Pieces handed to expat at a time. One that ends inside an item makes expat scan that item
// again from its start with the next piece, so a piece that brought no event is followed by
// one twice as large: a long item costs a few scans of itself, not one per megabyte.
constexpr std::size_t pieceBytes = std::size_t(1) << 20;
constexpr std::size_t largestPieceBytes = std::size_t(64) << 20;
// Documents in memory go in slices that fit expat's int lengths.
constexpr std::size_t memorySliceBytes = std::size_t(1) << 30;

// Expansion past this factor of the input, once 8 MiB have been produced, stops the run.
constexpr float maximumAmplification = 100.0f;
constexpr unsigned long long amplificationThreshold = 8ull << 20;

// How long to wait for a writer to add to a file being read.
void waitForWriter() {
    const timespec interval{0, 1'000'000};
    ::nanosleep(&interval, nullptr);
}

} // namespace

// expat's callbacks, with the parser that owns the run as their user data.
struct XmlEvents {
    static XmlParser& of(void* userData) { return *static_cast<XmlParser*>(userData); }

    static void XMLCALL start(void* userData, const XML_Char* name, const XML_Char** attributes) {
        XmlParser& parser = of(userData);
        parser.sawEvent_ = true;
        parser.delegate_.didStartElement(XmlDelegate::localNameOf(name), XmlAttributes(attributes));
    }
    static void XMLCALL end(void* userData, const XML_Char* name) {
        XmlParser& parser = of(userData);
        parser.sawEvent_ = true;
        parser.delegate_.didEndElement(XmlDelegate::localNameOf(name));
    }
    static void XMLCALL characters(void* userData, const XML_Char* text, int length) {
        XmlParser& parser = of(userData);
        parser.sawEvent_ = true;
        parser.delegate_.foundCharacters(std::string_view(text, static_cast<std::size_t>(length)));
    }
};

XmlParser::XmlParser(XmlDelegate& delegate)
    : parser_(XML_ParserCreate(nullptr)), delegate_(delegate) {
    if (!parser_)
        throw std::bad_alloc();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, XmlEvents::start, XmlEvents::end);
    XML_SetCharacterDataHandler(parser_, XmlEvents::characters);
    // No external entity or DTD is ever fetched: there is no handler that could load one.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, maximumAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser_, amplificationThreshold);
}

XmlParser::~XmlParser() {
    XML_ParserFree(parser_);
}

bool XmlParser::feed(std::string_view bytes, bool isFinal) {
    if (failed_)
        return false;
    // Whole slices: an item inside one is scanned once, however long.
    do {
        const std::size_t slice = std::min(bytes.size(), memorySliceBytes);
        const bool last = isFinal && slice == bytes.size();
        if (XML_Parse(parser_, bytes.data(), static_cast<int>(slice), last) != XML_STATUS_OK) {
            failed_ = true;
            return false;
        }
        bytes.remove_prefix(slice);
    } while (!bytes.empty());
    return true;
}

bool XmlParser::parseBuffered(std::size_t bytes, bool isFinal) {
    sawEvent_ = false;
    if (XML_ParseBuffer(parser_, static_cast<int>(bytes), isFinal) != XML_STATUS_OK) {
        failed_ = true;
        return false;
    }
    bytesWithoutEvent_ = sawEvent_ ? 0 : bytesWithoutEvent_ + bytes;
    if (bytesWithoutEvent_ > maximumItemBytes)
        throw TableError("The workbook holds a single XML item of more than 64 MiB, larger than "
                         "any cell can be. The file is damaged or was not written by a "
                         "spreadsheet program.");
    return true;
}

bool XmlParser::feedDescriptor(int fd, const std::string& name,
                               const std::function<bool()>& isBeingWritten) {
    const auto writerActive = [&] { return isBeingWritten && isBeingWritten(); };
    std::size_t want = pieceBytes;
    for (;;) {
        if (failed_)
            return false;
        // Reading straight into expat's buffer keeps the part from being held twice.
        char* buffer = static_cast<char*>(XML_GetBuffer(parser_, static_cast<int>(want)));
        if (!buffer)
            throw std::bad_alloc();
        std::size_t filled = 0;
        bool atEnd = false;
        while (filled < want) {
            // Asked before the read, so that an end of file seen after the writer ended is final.
            const bool waiting = writerActive();
            const ssize_t got = ::read(fd, buffer + filled, want - filled);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throw FileError("Cannot read", name, errno);
            }
            if (got > 0) {
                filled += static_cast<std::size_t>(got);
                continue;
            }
            if (!waiting) {
                atEnd = true;
                break;
            }
            waitForWriter();
        }
        if (!parseBuffered(filled, atEnd))
            return false;
        delegate_.didReadPiece();
        if (atEnd || !delegate_.wantsMore())
            return true;
        want = bytesWithoutEvent_ > 0 ? std::min(2 * want, largestPieceBytes) : pieceBytes;
    }
}

bool XmlParser::run(std::string_view document, XmlDelegate& delegate) {
    XmlParser parser(delegate);
    return parser.feed(document, true);
}

} // namespace pellacor
