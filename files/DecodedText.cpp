#include "files/DecodedText.h"

namespace pellacor {

bool DecodedText::readMore() {
    if (isComplete_)
        return false;
    const std::size_t kept = window_.size();
    window_.makeRoom(pieceBytes);
    const std::size_t goal = kept + pieceBytes;
    // A decoder writes whole characters, up to four bytes each: with less room than that it
    // makes nothing, which must not be taken for the end of the input.
    while (goal - window_.size() >= maximumCharacterBytes && !isComplete_) {
        if (input_->window().empty() && !input_->isComplete())
            input_->readMore();
        const std::string_view input = input_->window();
        std::size_t used = 0;
        const std::size_t made =
            decode(input, input_->isComplete(), window_.back(), goal - window_.size(), used);
        input_->drop(used);
        window_.added(made);
        if (hasEnded() || (input_->isComplete() && input_->window().empty() && made == 0))
            isComplete_ = true;
        else if (made == 0 && used == 0 && !input_->readMore())
            isComplete_ = true;
    }
    return window_.size() > kept;
}

} // namespace pellacor
