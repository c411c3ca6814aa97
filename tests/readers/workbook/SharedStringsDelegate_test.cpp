#include "readers/workbook/SharedStringsDelegate.h"
#include "readers/workbook/XmlParser.h"

#include <gtest/gtest.h>

using pellacor::SharedStringsDelegate;
using pellacor::XmlParser;
using Strings = std::vector<std::string>;

namespace {

// Reads the items whole, and again fed one byte at a time so text arrives in the smallest pieces.
Strings read(const std::string& items, bool bytewise = false) {
    const std::string document =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + items +
        "</sst>";
    SharedStringsDelegate delegate;
    if (!bytewise) {
        XmlParser::run(document, delegate);
        return delegate.strings();
    }
    XmlParser parser(delegate);
    for (char c : document)
        parser.feed(std::string_view(&c, 1), false);
    parser.feed({}, true);
    return delegate.strings();
}

} // namespace

TEST(SharedStringsDelegate, items_give_the_text_of_their_t_elements) {
    const std::vector<std::pair<std::string, Strings>> cases = {
        // Each item takes one place, even when empty.
        {"<si><t>ACGT</t></si><si><t/></si><si></si><si><t>MKV</t></si>", {"ACGT", "", "", "MKV"}},
        {"<si><t xml:space=\"preserve\">  AC\nGT \r\n</t></si>", {"  AC\nGT \n"}},
        {"<si>stray<t>kept</t>also stray</si>", {"kept"}},
        {"<si><r><t>AB</t></r><r><rPr><b/></rPr><t>CD</t></r><r><t>EF</t></r></si>", {"ABCDEF"}},
        {"<si><t>\xE9\x85\xB5\xE7\xB4\xA0</t><rPh sb=\"0\" eb=\"2\"><t>kouso</t></rPh>"
         "<phoneticPr fontId=\"1\"/></si><si><t>next</t></si>",
         {"\xE9\x85\xB5\xE7\xB4\xA0", "next"}},
        {"<si><t>AC<![CDATA[G<T>&]]>A</t></si>", {"ACG<T>&A"}},
        {"<si><t>A&amp;B</t></si><si><t>&#x41;&#67;&lt;G</t></si>", {"A&B", "AC<G"}},
        {"<si><t>line_x000D_\nnext</t></si><si><t>A_x0009_B</t></si>", {"line\r\nnext", "A\tB"}},
    };
    for (const auto& [items, expected] : cases) {
        EXPECT_EQ(read(items), expected) << items;
        EXPECT_EQ(read(items, true), expected) << items;
    }
}

TEST(SharedStringsDelegate, escapes_decode_and_malformed_ones_stay_as_written) {
    // Excel stores a literal "_x0041_" by escaping its first underscore.
    EXPECT_EQ(SharedStringsDelegate::decodeEscapes("_x005F_x0041_"), "_x0041_");
    EXPECT_EQ(SharedStringsDelegate::decodeEscapes("a_xD83E__xDDEC_b"), "a\xF0\x9F\xA7\xAC"
                                                                        "b");
    for (const char* text : {"_x00G1_", "_x001_", "_x0041", "x0041_", "_xD83E_", "_xDDEC_x", "_x"})
        EXPECT_EQ(SharedStringsDelegate::decodeEscapes(text), text) << text;
}

TEST(SharedStringsDelegate, only_the_items_a_sheet_names_are_kept_and_reading_stops_after_them) {
    SharedStringsDelegate delegate({1, 3, 7});
    XmlParser parser(delegate);
    parser.feed("<sst><si><t>a</t></si><si><t>b</t></si><si/><si><t>d_x0009_</t></si>", false);
    EXPECT_TRUE(delegate.wantsMore());
    parser.feed("<si/><si/><si/><si><t>h</t></si>", false);
    EXPECT_FALSE(delegate.wantsMore());
    parser.feed("<si><t>i</t></si></sst>", true);
    EXPECT_EQ(delegate.itemCount, 9u);
    const pellacor::SharedStringTable table = delegate.takeTable();
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(*table.find(std::uint64_t(1)), "b");
    EXPECT_EQ(*table.find(std::uint64_t(3)), "d\t");
    EXPECT_EQ(*table.find(std::uint64_t(7)), "h");
    for (const std::uint64_t missing : {0, 2, 4, 8, 9})
        EXPECT_EQ(table.find(missing), nullptr) << missing;
    // A number named but never reached keeps nothing, and the table stays consistent.
    SharedStringsDelegate beyond({0, 40});
    XmlParser::run("<sst><si><t>a</t></si><si><t>b</t></si></sst>", beyond);
    const pellacor::SharedStringTable short_ = beyond.takeTable();
    EXPECT_EQ(*short_.find("0"), "a");
    EXPECT_EQ(short_.find("40"), nullptr);
}
