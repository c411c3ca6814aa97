// Replays every committed fuzzing corpus file through the fuzzers' checks, and keeps each input
// a fuzzer once broke as a named case.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

using namespace pellacor;
namespace fs = std::filesystem;

namespace {

using Target = void (*)(fuzz::Input);

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(FuzzCorpus, every_corpus_input_keeps_its_fuzzers_promises) {
    // Delimited reader, FASTA writer, shared strings, worksheet and OpenDocument content (whole
    // or in pieces), and workbooks that end in records or the reader's error, leaving no work
    // directory.
    const std::vector<std::tuple<std::string, Target, std::size_t>> corpora = {
        {"delimited_reader", fuzz::delimitedReader, 20},
        {"fasta_writer", fuzz::fastaWriter, 5},
        {"shared_strings", fuzz::sharedStrings, 5},
        {"worksheet", fuzz::worksheet, 5},
        {"ods_content", fuzz::odsContent, 5},
        {"workbook_reader", fuzz::workbookReader, 3}};
    for (const auto& [name, target, least] : corpora) {
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(PELLACOR_FUZZ_CORPUS) / name)) {
            EXPECT_NO_THROW(target(bytesOf(entry.path())))
                << name << "/" << entry.path().filename();
            ++files;
        }
        EXPECT_GE(files, least) << name;
    }
}
