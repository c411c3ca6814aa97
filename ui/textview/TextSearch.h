#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace pellacor {

/// Finds a piece of UTF-8 text in a large UTF-8 text: ASCII letters match either case, every
/// other byte only itself. Fast enough to run through hundreds of megabytes while a person
/// types (several gigabytes a second), so it needs no index and no thread.
class TextSearch {
public:
    TextSearch() = delete;

    /// Which way to look from the starting point.
    enum class Direction { Forward, Backward };

    /// A place where the needle occurs.
    struct Hit {
        /// Byte offset where the occurrence starts.
        std::size_t offset;
        /// True when the search went past the end (or the start) and came round to it.
        bool wrapped;
    };

    /// The first occurrence of `needle` starting at or after `from`; std::nullopt when none.
    static std::optional<std::size_t> forward(std::string_view text, std::string_view needle,
                                              std::size_t from);
    /// The last occurrence of `needle` starting before `before`; std::nullopt when none.
    static std::optional<std::size_t> backward(std::string_view text, std::string_view needle,
                                               std::size_t before);
    /// Forward: the first occurrence at or after `from`, else the first of all. Backward: the
    /// last occurrence before `from`, else the last of all. std::nullopt when the text holds
    /// none, or the needle is empty.
    static std::optional<Hit> wrapping(std::string_view text, std::string_view needle,
                                       std::size_t from, Direction direction);
};

} // namespace pellacor
