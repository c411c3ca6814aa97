#pragma once

#include <string_view>

namespace pellacor {

/// The attributes of one start tag as expat hands them over: name/value pairs ending in null.
class XmlAttributes {
public:
    explicit XmlAttributes(const char** pairs) noexcept : pairs_(pairs) {}

    /// The value of the attribute whose local name (prefix dropped) is `localName`, or null.
    const char* find(std::string_view localName) const noexcept;

private:
    const char** pairs_;
};

/// Receives the events of one XML run. Element names arrive as local names: a namespace prefix
/// ("x:row") is dropped, since writers differ in the prefixes they choose.
class XmlDelegate {
public:
    virtual ~XmlDelegate() = default;

    /// An element starts.
    virtual void didStartElement(std::string_view localName, const XmlAttributes& attributes) = 0;
    /// A piece of character data (CDATA included); consecutive pieces belong together.
    virtual void foundCharacters(std::string_view text) = 0;
    /// An element ends.
    virtual void didEndElement(std::string_view localName) = 0;
    /// False once the delegate needs nothing more of the document: a run over a file may stop
    /// reading there.
    virtual bool wantsMore() const { return true; }
    /// A piece of a file read while it is written has been parsed: a moment to act on what
    /// has come so far.
    virtual void didReadPiece() {}

    /// `qualifiedName` without its prefix.
    static std::string_view localNameOf(std::string_view qualifiedName) noexcept {
        const std::size_t colon = qualifiedName.rfind(':');
        return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
    }
};

inline const char* XmlAttributes::find(std::string_view localName) const noexcept {
    for (const char** p = pairs_; p && *p; p += 2)
        if (XmlDelegate::localNameOf(*p) == localName)
            return p[1];
    return nullptr;
}

} // namespace pellacor
