// A mapped table that changes under the reader must neither crash it nor pass for intact.
#include "files/MappedFile.h"
#include "files/TruncationGuard.h"

#include "files/FileError.h"
#include "files/MappedText.h"
#include "readers/TableError.h"
#include "readers/delimited/DelimitedTable.h"
#include "tests/files/ProcessStatus.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <vector>

namespace pellacor {
namespace {

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The programs install it at start-up; without it files are read, not mapped.
        TruncationGuard::installHandler();
        path_ = std::filesystem::temp_directory_path() /
                ("mapped-" + std::to_string(::getpid()) + ".tsv");
        std::ofstream(path_, std::ios::binary) << std::string(1 << 20, 'A');
        // An old time, so that any write made by a test shows in the modification time.
        const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        ::utimensat(AT_FDCWD, path_.c_str(), old, 0);
    }
    void TearDown() override { std::filesystem::remove(path_); }

    static std::size_t sum(std::string_view bytes) {
        return std::accumulate(
            bytes.begin(), bytes.end(), std::size_t(0),
            [](std::size_t s, char c) { return s + static_cast<unsigned char>(c); });
    }

    std::filesystem::path path_;
};

TEST_F(MappedFileTest, an_untouched_file_is_read_whole_and_verifies) {
    const MappedFile file(path_);
    EXPECT_EQ(sum(file.bytes()), std::size_t('A') << 20);
    EXPECT_NO_THROW(file.verifyUnchanged());
    // Past the guards there are, files are read into memory instead, just as whole.
    std::vector<std::unique_ptr<MappedFile>> many;
    for (int i = 0; i < 70; ++i)
        many.push_back(std::make_unique<MappedFile>(path_));
    for (const auto& each : many) {
        EXPECT_EQ(sum(each->bytes()), std::size_t('A') << 20);
        EXPECT_NO_THROW(each->verifyUnchanged());
    }
}

TEST_F(MappedFileTest, a_file_cut_short_while_mapped_reads_on_and_then_fails_the_check) {
    const MappedFile file(path_);
    ASSERT_EQ(::truncate(path_.c_str(), 4096), 0);
    // Reading past the new end would raise SIGBUS and end the process without the guard.
    sum(file.bytes());
    try {
        file.verifyUnchanged();
        FAIL() << "a cut file passed";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("changed while it was being read"), std::string::npos);
    }
}

TEST_F(MappedFileTest, a_reading_that_fails_on_a_changed_file_reports_the_change) {
    // Cut inside a quoted field, the rest reads as zeros and the quote never closes.
    std::ofstream(path_, std::ios::binary) << "s1,\"" + std::string(1 << 20, 'A') + "\"\n";
    const auto readTable = [](TextSource& text) {
        return text.readVerified([&] {
            RecordBuilder builder(RecordBuilder::delimitedStyle);
            return DelimitedTable::read(text, "t.csv", builder, [](const RecordView&) {});
        });
    };
    {
        MappedText intact(path_);
        EXPECT_EQ(readTable(intact), ',');
    }
    MappedText cut(path_);
    ASSERT_EQ(::truncate(path_.c_str(), 4096), 0);
    try {
        readTable(cut);
        FAIL() << "a cut table passed";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("changed while it was being read"), std::string::npos);
    }
    // On a file that stayed as it was, the reader's own failure is what is told.
    std::ofstream(path_, std::ios::binary) << "s1,\"AC\n";
    MappedText malformed(path_);
    try {
        readTable(malformed);
        FAIL() << "a malformed table passed";
    } catch (const FileError& e) {
        FAIL() << "told as a change: " << e.what();
    } catch (const TableError& e) {
        EXPECT_NE(std::string(e.what()).find("Unterminated quoted field"), std::string::npos);
    }
}

TEST_F(MappedFileTest, a_copy_from_the_file_is_the_mapped_bytes_and_zeros_once_it_is_cut) {
    std::string text(1 << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    std::ofstream(path_, std::ios::binary) << text;
    MappedFile file(path_);
    std::string copy(5000, '-');
    file.copy(4000, copy.size(), copy.data());
    EXPECT_EQ(copy, text.substr(4000, copy.size()));
    // Cut short, the bytes past the new end copy as zeros, as they read in the mapping, and
    // the check tells the file changed.
    std::filesystem::resize_file(path_, 10000);
    file.copy(8000, copy.size(), copy.data());
    EXPECT_EQ(copy.substr(0, 2000), text.substr(8000, 2000));
    EXPECT_EQ(copy.substr(2000), std::string(3000, '\0'));
    EXPECT_EQ(copy.substr(2000), std::string(file.bytes().substr(10000, 3000)));
    EXPECT_THROW(file.verifyUnchanged(), FileError);
}

TEST_F(MappedFileTest, memory_behind_the_reader_is_given_back_and_reads_again_from_the_file) {
    MappedFile file(path_);
    const std::size_t expected = std::size_t('A') << 20;
    EXPECT_EQ(sum(file.bytes()), expected);
    file.release(file.bytes().size());
    EXPECT_EQ(sum(file.bytes()), expected);
    file.prepare(4096, 8192);
    EXPECT_EQ(sum(file.bytes()), expected);
}

// Kilobytes of mapped files this process holds in memory.
std::size_t residentFileKilobytes() { return testdata::statusKilobytes("RssFile"); }

TEST_F(MappedFileTest, memory_is_given_back_in_steps_each_step_from_where_the_last_ended) {
    MappedFile file(path_);
    ASSERT_EQ(sum(file.bytes()), std::size_t('A') << 20);
    // The kernel's counts lag by up to 64 pages a thread.
    const std::size_t whole = residentFileKilobytes();
    file.release(file.bytes().size() / 4);
    file.release(file.bytes().size() / 4 + 100); // within a page: nothing more
    file.release(file.bytes().size() / 2);
    EXPECT_NEAR(static_cast<double>(whole - residentFileKilobytes()), 512, 100);
    file.release(file.bytes().size());
    EXPECT_NEAR(static_cast<double>(whole - residentFileKilobytes()), 1024, 100);
}

TEST_F(MappedFileTest, a_descriptor_read_instead_of_mapped_is_left_where_it_stood) {
    // With every guard taken the file is read, not mapped. The descriptor shares its offset
    // with its owner's (standard input, checked and then read again): it must stay put.
    std::vector<std::unique_ptr<MappedFile>> holdingEveryGuard;
    for (int i = 0; i < 64; ++i)
        holdingEveryGuard.push_back(std::make_unique<MappedFile>(path_));
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 100, SEEK_SET), 100);
    for (int reading = 0; reading < 2; ++reading) {
        const MappedFile file(fd, "standard input");
        EXPECT_EQ(file.bytes().size(), (std::size_t(1) << 20) - 100) << "reading " << reading;
        EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 100) << "reading " << reading;
    }
    ::close(fd);
}

TEST_F(MappedFileTest, a_file_rewritten_in_place_fails_the_check) {
    const MappedFile file(path_);
    {
        std::fstream out(path_, std::ios::binary | std::ios::in | std::ios::out);
        out << "CHANGED";
    }
    EXPECT_THROW(file.verifyUnchanged(), FileError);
}

TEST_F(MappedFileTest, faults_outside_a_mapped_file_still_end_the_process) {
    // Our handler must hand foreign faults on, not swallow them.
    EXPECT_DEATH(
        {
            const MappedFile file(path_);
            const std::filesystem::path other = path_.string() + ".other";
            std::ofstream(other, std::ios::binary) << std::string(1 << 16, 'B');
            const int fd = ::open(other.c_str(), O_RDONLY);
            auto* raw = static_cast<volatile const char*>(
                ::mmap(nullptr, 1 << 16, PROT_READ, MAP_PRIVATE, fd, 0));
            ::ftruncate(::open(other.c_str(), O_WRONLY), 0);
            std::filesystem::remove(other);
            (void)raw[8192];
        },
        "");
}

} // namespace
} // namespace pellacor
