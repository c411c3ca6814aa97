#include "files/EncodedText.h"

#include "files/DisplayName.h"
#include "files/FileError.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <new>

namespace pellacor {
namespace {

UConverter* openConverter(const char* name, bool isSource) {
    // ICU takes no name for its default converter, which would vary with the machine.
    if (*name == '\0')
        return nullptr;
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &error);
    if (U_FAILURE(error))
        return nullptr;
    // The default callbacks put U+FFFD or "?" in place of what does not convert: data would
    // change without a word.
    if (isSource)
        ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    else
        ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &error);
    return converter;
}

} // namespace

EncodedText::EncodedText(std::unique_ptr<TextSource> input, std::string name,
                         const std::string& encoding, std::string label, std::size_t skippedBytes)
    : DecodedText(std::move(input), std::move(name)), label_(std::move(label)),
      skipped_(skippedBytes), pivot_(std::make_unique<char16_t[]>(pivotUnits)),
      pivotSource_(pivot_.get()), pivotTarget_(pivot_.get()) {
    source_ = openConverter(encoding.c_str(), true);
    utf8_ = openConverter("UTF-8", false);
    if (!utf8_)
        throw std::bad_alloc();
    if (!source_)
        throw FileError("The encoding \u201C" + DisplayName::escaped(encoding) +
                        "\u201D is not known here.");
}

EncodedText::~EncodedText() {
    if (source_)
        ucnv_close(source_);
    if (utf8_)
        ucnv_close(utf8_);
}

bool EncodedText::isKnown(const std::string& encoding) noexcept {
    UConverter* converter = openConverter(encoding.c_str(), true);
    if (converter)
        ucnv_close(converter);
    return converter != nullptr;
}

bool EncodedText::isUtf8(const std::string& encoding) noexcept {
    return ucnv_compareNames(encoding.c_str(), "UTF-8") == 0;
}

std::optional<EncodedText::Marked> EncodedText::markedEncodingOf(std::string_view bytes) noexcept {
    const auto startsWith = [&](std::string_view mark) { return bytes.starts_with(mark); };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv))
        return Marked{"UTF-32LE", "UTF-32", 4};
    if (startsWith("\0\0\xFE\xFF"sv))
        return Marked{"UTF-32BE", "UTF-32", 4};
    if (startsWith("\xFF\xFE"sv))
        return Marked{"UTF-16LE", "UTF-16", 2};
    if (startsWith("\xFE\xFF"sv))
        return Marked{"UTF-16BE", "UTF-16", 2};
    return std::nullopt;
}

std::size_t EncodedText::decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                                std::size_t& used) {
    used = 0;
    if (skipped_ > 0) {
        if (input.size() < skipped_ && !inputEnds)
            return 0;
        used = std::min(skipped_, input.size());
        skipped_ -= used;
        input.remove_prefix(used);
    }
    const char* source = input.data();
    char* target = out;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_convertEx(utf8_, source_, &target, out + room, &source, input.data() + input.size(),
                   pivot_.get(), &pivotSource_, &pivotTarget_, pivot_.get() + pivotUnits, false,
                   inputEnds, &error);
    used += static_cast<std::size_t>(source - input.data());
    if (error == U_TRUNCATED_CHAR_FOUND)
        fail(true);
    if (U_FAILURE(error) && error != U_BUFFER_OVERFLOW_ERROR) {
        if (error == U_MEMORY_ALLOCATION_ERROR)
            throw std::bad_alloc();
        fail(false);
    }
    return static_cast<std::size_t>(target - out);
}

void EncodedText::fail(bool endsInsideCharacter) const {
    if (endsInsideCharacter)
        throw FileError(DisplayName::quoted(name()) + " is not valid " + label_ +
                        " text: it ends inside a character.");
    throw FileError(DisplayName::quoted(name()) + " is not valid " + label_ +
                    " text. Save it as UTF-8 and try again.");
}

} // namespace pellacor
