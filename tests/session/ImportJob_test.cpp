#include "session/ImportJob.h"

#include "core/FastaConverter.h"

#include <gtest/gtest.h>

namespace pellacor {
namespace {

TEST(ImportJobTest, the_extension_is_the_lower_cased_text_after_the_last_dot_of_the_name) {
    EXPECT_EQ(ImportJob::lowerExtension("/data/Table.XLSX"), "xlsx");
    EXPECT_EQ(ImportJob::lowerExtension("/data/table.tar.Csv"), "csv");
    EXPECT_EQ(ImportJob::lowerExtension("/data/table"), "");
    EXPECT_EQ(ImportJob::lowerExtension("/data.xlsx/table"), "") << "a folder's dot counted";
    EXPECT_EQ(ImportJob::lowerExtension("/data/table."), "");
    EXPECT_EQ(ImportJob::lowerExtension("/data/.xlsx"), "") << "a hidden file has no extension";
    EXPECT_EQ(ImportJob::lowerExtension(QString::fromUtf8("/d/t.\xC3\x89XT")),
              QString::fromUtf8("\xC3\xA9xt"));
}

TEST(ImportJobTest, rendering_gives_the_converter_text_for_every_kind_of_record) {
    const std::vector<SequenceEntry> entries = {
        {"plain", std::string(170, 'A'), std::nullopt},
        {"empty-desc", "AC", std::string()},
        {"caf\xC3\xA9", "e\xCC\x81" + std::string(85, 'C'), "with\nbreak"},
        {"cr", "AC\r\nGT", "d"},
        {"no-sequence", "", std::nullopt},
    };
    const QByteArray rendered = ImportJob::renderFasta(entries);
    EXPECT_EQ(rendered.toStdString(), FastaConverter::convert(entries, 80));
    EXPECT_TRUE(ImportJob::renderFasta({}).isEmpty());
}

TEST(ImportJobTest, a_failed_read_comes_back_as_a_message_with_nothing_else) {
    const ImportOutcome outcome = ImportJob::run("/nonexistent-folder/table.csv");
    ASSERT_TRUE(outcome.failure);
    EXPECT_TRUE(outcome.entries.empty());
    EXPECT_TRUE(outcome.fasta.isEmpty());
    EXPECT_TRUE(outcome.entryTrace.empty());
}

} // namespace
} // namespace pellacor
