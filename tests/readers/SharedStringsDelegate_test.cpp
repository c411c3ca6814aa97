#include "readers/SharedStringsDelegate.h"
#include "readers/XmlParser.h"

#include <gtest/gtest.h>

using pellacor::SharedStringsDelegate;
using pellacor::XmlParser;
using Strings = std::vector<std::string>;

namespace {

Strings read(const std::string& items) {
    SharedStringsDelegate delegate;
    XmlParser::run("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                       items + "</sst>",
                   delegate);
    return delegate.strings;
}

// Feeds the document one byte at a time, so that text arrives in the smallest pieces.
Strings readBytewise(const std::string& document) {
    SharedStringsDelegate delegate;
    XmlParser parser(delegate);
    for (char c : document)
        parser.feed(std::string_view(&c, 1), false);
    parser.feed({}, true);
    return delegate.strings;
}

} // namespace

TEST(SharedStringsDelegate_items, each_item_takes_one_place_even_when_empty) {
    EXPECT_EQ(read("<si><t>ACGT</t></si><si><t/></si><si></si><si><t>MKV</t></si>"),
              (Strings{"ACGT", "", "", "MKV"}));
}

TEST(SharedStringsDelegate_items, text_is_kept_exactly_with_spaces_and_line_breaks) {
    EXPECT_EQ(read("<si><t xml:space=\"preserve\">  AC\nGT \r\n</t></si>"),
              (Strings{"  AC\nGT \n"}));
}

TEST(SharedStringsDelegate_items, text_outside_t_elements_is_dropped) {
    EXPECT_EQ(read("<si>stray<t>kept</t>also stray</si>"), (Strings{"kept"}));
}

TEST(SharedStringsDelegate_richText, runs_are_joined_in_order) {
    EXPECT_EQ(read("<si><r><t>AB</t></r><r><rPr><b/></rPr><t>CD</t></r><r><t>EF</t></r></si>"),
              (Strings{"ABCDEF"}));
}

TEST(SharedStringsDelegate_richText, phonetic_runs_are_left_out) {
    EXPECT_EQ(read("<si><t>\xE9\x85\xB5\xE7\xB4\xA0</t><rPh sb=\"0\" eb=\"2\"><t>kouso</t></rPh>"
                   "<phoneticPr fontId=\"1\"/></si><si><t>next</t></si>"),
              (Strings{"\xE9\x85\xB5\xE7\xB4\xA0", "next"}));
}

TEST(SharedStringsDelegate_markup, prefixed_elements_read_like_plain_ones) {
    SharedStringsDelegate delegate;
    XmlParser::run("<x:sst xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                   "<x:si><x:t>AC</x:t></x:si><x:si><x:r><x:t>G</x:t></x:r><x:r><x:t>T</x:t>"
                   "</x:r></x:si></x:sst>",
                   delegate);
    EXPECT_EQ(delegate.strings, (Strings{"AC", "GT"}));
}

TEST(SharedStringsDelegate_markup, cdata_is_text_like_any_other) {
    EXPECT_EQ(read("<si><t>AC<![CDATA[G<T>&]]>A</t></si>"), (Strings{"ACG<T>&A"}));
}

TEST(SharedStringsDelegate_markup, references_split_across_pieces_are_joined) {
    const std::string document =
        "<sst><si><t>A&amp;B</t></si><si><t>&#x41;&#67;&lt;G</t></si></sst>";
    EXPECT_EQ(readBytewise(document), (Strings{"A&B", "AC<G"}));
}

TEST(SharedStringsDelegate_markup, a_part_that_breaks_off_keeps_the_items_before_the_break) {
    SharedStringsDelegate delegate;
    EXPECT_FALSE(XmlParser::run("<sst><si><t>one</t></si><si><t>tw", delegate));
    EXPECT_EQ(delegate.strings, (Strings{"one"}));
}

TEST(SharedStringsDelegate_escapes, carriage_return_escape_becomes_the_character) {
    EXPECT_EQ(read("<si><t>line_x000D_\nnext</t></si>"), (Strings{"line\r\nnext"}));
}

TEST(SharedStringsDelegate_escapes, an_escaped_underscore_yields_the_literal_text) {
    // Excel stores a literal "_x0041_" by escaping its first underscore.
    EXPECT_EQ(SharedStringsDelegate::decodeEscapes("_x005F_x0041_"), "_x0041_");
}

TEST(SharedStringsDelegate_escapes, a_surrogate_pair_becomes_one_character) {
    EXPECT_EQ(SharedStringsDelegate::decodeEscapes("a_xD83E__xDDEC_b"), "a\xF0\x9F\xA7\xAC"
                                                                        "b");
}

TEST(SharedStringsDelegate_escapes, malformed_escapes_stay_as_written) {
    for (const char* text : {"_x00G1_", "_x001_", "_x0041", "x0041_", "_xD83E_", "_xDDEC_x", "_x"})
        EXPECT_EQ(SharedStringsDelegate::decodeEscapes(text), text) << text;
}

TEST(SharedStringsDelegate_escapes, escapes_split_by_pieces_are_still_decoded) {
    EXPECT_EQ(readBytewise("<sst><si><t>A_x0009_B</t></si></sst>"), (Strings{"A\tB"}));
}
