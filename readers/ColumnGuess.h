#pragma once

#include "readers/ColumnChoice.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pellacor {

struct ColumnLayout;
struct TableShape;

/// The guesses made from a table's content where no option decides: whether the first row
/// is a header, and which columns hold the sequence, the identifier and the description.
/// Tables whose header words or plain layout already tell keep the layout they tell.
class ColumnGuess {
public:
    ColumnGuess() = delete;

    /// How the header was found.
    struct Header {
        bool firstRowIsHeader = false;
        /// The names come from a "#" line above the first row, which is data.
        bool fromComment = false;
        /// Why, where no title word told: "it differs from the rows below".
        std::string reason;
    };

    /// Whether the first row of `shape` names the columns.
    static Header header(const TableShape& shape, const ColumnChoice& choice);
    /// Picks identifier, sequence and description columns of `layout`, whose names and header
    /// are set, and writes its note.
    static void roles(ColumnLayout& layout, const TableShape& shape, const Header& header);
    /// The columns of `shape` that hold sequences, judged on the rows below the header.
    static std::vector<std::size_t> sequenceColumns(const ColumnLayout& layout,
                                                    const TableShape& shape, const Header& header);
    /// The note for a layout the user chose, which tells only how the header was found.
    static void noteChoice(ColumnLayout& layout, const TableShape& shape, const Header& header);
};

} // namespace pellacor
