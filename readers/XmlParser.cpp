#include "readers/XmlParser.h"

#include "files/FileDescriptor.h"
#include "files/FileError.h"
#include "readers/TableError.h"
#include "readers/XmlDelegate.h"

// The library is built with DTD support; this makes its entity-expansion limits visible.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pellacor {
namespace {

constexpr int chunkSize = 1 << 20;

// Expansion past this factor of the input, once 8 MiB have been produced, stops the run.
constexpr float maximumAmplification = 100.0f;
constexpr unsigned long long amplificationThreshold = 8ull << 20;

// How long to wait for a writer to add to a file being read.
void waitForWriter() {
    const timespec interval{0, 1'000'000};
    ::nanosleep(&interval, nullptr);
}

XmlDelegate& delegateOf(void* userData) {
    return *static_cast<XmlDelegate*>(userData);
}

void XMLCALL onStart(void* userData, const XML_Char* name, const XML_Char** attributes) {
    delegateOf(userData).didStartElement(XmlDelegate::localNameOf(name), XmlAttributes(attributes));
}

void XMLCALL onEnd(void* userData, const XML_Char* name) {
    delegateOf(userData).didEndElement(XmlDelegate::localNameOf(name));
}

void XMLCALL onCharacters(void* userData, const XML_Char* text, int length) {
    delegateOf(userData).foundCharacters(std::string_view(text, static_cast<std::size_t>(length)));
}

} // namespace

XmlParser::XmlParser(XmlDelegate& delegate) : parser_(XML_ParserCreate(nullptr)) {
    if (!parser_)
        throw std::bad_alloc();
    XML_SetUserData(parser_, &delegate);
    XML_SetElementHandler(parser_, onStart, onEnd);
    XML_SetCharacterDataHandler(parser_, onCharacters);
    // No external entity or DTD is ever fetched: there is no handler that could load one.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, maximumAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser_, amplificationThreshold);
}

XmlParser::~XmlParser() {
    if (parser_)
        XML_ParserFree(parser_);
}

XmlParser::XmlParser(XmlParser&& other) noexcept
    : parser_(std::exchange(other.parser_, nullptr)), failed_(other.failed_) {}

XmlParser& XmlParser::operator=(XmlParser&& other) noexcept {
    if (this != &other) {
        if (parser_)
            XML_ParserFree(parser_);
        parser_ = std::exchange(other.parser_, nullptr);
        failed_ = other.failed_;
    }
    return *this;
}

bool XmlParser::feed(std::string_view bytes, bool isFinal) {
    if (failed_ || !parser_)
        return false;
    // XML_Parse takes an int length; large documents go in slices.
    do {
        const std::size_t slice = std::min<std::size_t>(bytes.size(), chunkSize);
        const bool last = isFinal && slice == bytes.size();
        if (XML_Parse(parser_, bytes.data(), static_cast<int>(slice), last) != XML_STATUS_OK) {
            failed_ = true;
            return false;
        }
        bytes.remove_prefix(slice);
    } while (!bytes.empty());
    return true;
}

bool XmlParser::feedFile(const std::filesystem::path& path,
                         const std::function<bool()>& isBeingWritten) {
    const std::string name = path.string();
    const auto writerActive = [&] { return isBeingWritten && isBeingWritten(); };
    FileDescriptor fd;
    for (;;) {
        // Asked before the attempt, so that a failure after the writer ended is final.
        const bool waiting = writerActive();
        // A part is never a link: one could point anywhere outside the work directory.
        fd = FileDescriptor(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        if (fd.get() >= 0)
            break;
        if (errno != ENOENT || !waiting)
            throw FileError("Cannot open", name, errno);
        waitForWriter();
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throw FileError("Cannot read", name, errno);
    if (!S_ISREG(info.st_mode))
        throw FileError("Cannot read", name, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    for (;;) {
        if (failed_ || !parser_)
            return false;
        // Reading straight into expat's buffer keeps the part from being held twice.
        void* buffer = XML_GetBuffer(parser_, chunkSize);
        if (!buffer)
            throw std::bad_alloc();
        const bool waiting = writerActive();
        const ssize_t got = ::read(fd.get(), buffer, chunkSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError("Cannot read", name, errno);
        }
        if (got == 0 && waiting) {
            waitForWriter();
            continue;
        }
        if (XML_ParseBuffer(parser_, static_cast<int>(got), got == 0) != XML_STATUS_OK) {
            failed_ = true;
            return false;
        }
        if (got == 0)
            return true;
    }
}

bool XmlParser::run(std::string_view document, XmlDelegate& delegate) {
    XmlParser parser(delegate);
    return parser.feed(document, true);
}

bool XmlParser::runFile(const std::filesystem::path& path, XmlDelegate& delegate,
                        const std::function<bool()>& isBeingWritten) {
    XmlParser parser(delegate);
    return parser.feedFile(path, isBeingWritten);
}

} // namespace pellacor
