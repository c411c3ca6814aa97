#include "readers/workbook/RelationshipsDelegate.h"

#include <charconv>
#include <vector>

namespace pellacor {

void RelationshipsDelegate::didStartElement(std::string_view localName,
                                            const XmlAttributes& attributes) {
    if (target || localName != "Relationship")
        return;
    const char* id = attributes.find("Id");
    if (!id || wantedId != id)
        return;
    const char* mode = attributes.find("TargetMode");
    if (mode && std::string_view(mode) == "External")
        return;
    if (const char* value = attributes.find("Target"))
        target = value;
}

std::optional<std::string> RelationshipsDelegate::partPath(std::string_view uri) {
    // A target is a URI: "first%20tab.xml" names the part "first tab.xml". An escaped slash
    // or null would make a name no part can have.
    std::string decodedTarget;
    decodedTarget.reserve(uri.size());
    for (std::size_t i = 0; i < uri.size(); ++i) {
        unsigned value = 0;
        if (uri[i] == '%' && i + 2 < uri.size() &&
            std::from_chars(uri.data() + i + 1, uri.data() + i + 3, value, 16).ptr ==
                uri.data() + i + 3) {
            if (value == 0 || value == '/')
                return std::nullopt;
            decodedTarget += static_cast<char>(value);
            i += 2;
        } else {
            decodedTarget += uri[i];
        }
    }
    std::string_view target = decodedTarget;
    // No part has control characters in its name; backslashes part folders on some systems,
    // so a name holding one may not be the part it spells.
    for (char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\')
            return std::nullopt;
    }
    std::vector<std::string_view> segments;
    if (target.empty() || target.front() != '/')
        segments.push_back("xl");
    while (!target.empty()) {
        const std::size_t slash = target.find('/');
        const std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        if (segment.empty() || segment == ".")
            continue;
        if (segment == "..") {
            if (segments.empty())
                return std::nullopt;
            segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    if (segments.empty() || segments.front().front() == '-')
        return std::nullopt;
    std::string path;
    for (std::string_view segment : segments) {
        if (!path.empty())
            path += '/';
        path += segment;
    }
    return path;
}

} // namespace pellacor
