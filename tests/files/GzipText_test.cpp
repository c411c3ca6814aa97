// gzip text inflated on a thread of its own: the whole text in order, however it arrives; a
// fault after the text before it; and a reader that leaves early, whatever the thread was
// waiting for, does not wait for it.
#include "files/GzipText.h"

#include "files/FileError.h"
#include "files/MemoryText.h"
#include "files/StreamedText.h"

#include "tests/files/Gzipped.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <thread>
#include <unistd.h>

using namespace pellacor;

namespace {

using testdata::gzipped;

// Rows of varied length: more than the pieces between the threads hold at once.
std::string longTable() {
    std::string table;
    for (int i = 0; i < 300000; ++i)
        table.append("s")
            .append(std::to_string(i))
            .append(",")
            .append(40 + i % 97, "ACGT"[i % 4])
            .append("\n");
    return table;
}

// Everything `source` gives, read to its end; what it read before a fault is in `text`.
void drain(TextSource& source, std::string& text) {
    for (;;) {
        text.append(source.window());
        source.drop(source.window().size());
        if (source.isComplete() || !source.readMore()) {
            text.append(source.window());
            return;
        }
    }
}

// A pipe whose reading end a source reads; the writing end stays open until `close`.
struct Pipe {
    Pipe() { EXPECT_EQ(::pipe(ends), 0); }
    ~Pipe() {
        close();
        ::close(ends[0]);
    }
    void close() {
        if (ends[1] >= 0)
            ::close(ends[1]);
        ends[1] = -1;
    }
    int ends[2] = {-1, -1};
};

} // namespace

TEST(GzipText, text_from_memory_or_a_pipe_in_small_pieces_reads_whole_and_in_order) {
    const std::string table = longTable();
    const std::string data = gzipped(table.substr(0, 5000)) + gzipped(table.substr(5000));
    {
        GzipText text(std::make_unique<MemoryText>(data), "t.gz");
        std::string read;
        drain(text, read);
        EXPECT_TRUE(read == table);
    }
    Pipe pipe;
    std::thread writer([&] {
        for (std::size_t at = 0; at < data.size(); at += 1000)
            EXPECT_GT(::write(pipe.ends[1], data.data() + at,
                              std::min<std::size_t>(1000, data.size() - at)),
                      0);
        pipe.close();
    });
    GzipText text(std::make_unique<StreamedText>(pipe.ends[0], "t.gz", 777), "t.gz");
    std::string read;
    drain(text, read);
    writer.join();
    EXPECT_TRUE(read == table);
}

TEST(GzipText, a_fault_is_thrown_once_the_text_before_it_has_been_read) {
    const std::string table = longTable();
    const std::string whole = gzipped(table);
    for (const std::string& data : {whole.substr(0, whole.size() - 3), whole + "garbage"}) {
        GzipText text(std::make_unique<MemoryText>(data), "t.gz");
        std::string read;
        try {
            drain(text, read);
            ADD_FAILURE() << "no fault";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("\u201Ct.gz\u201D"), std::string::npos);
        }
        // Cut short inside the trailer, every byte of text has come; garbage after it too.
        EXPECT_TRUE(read == table) << read.size();
    }
}

TEST(GzipText, a_reader_that_leaves_early_stops_the_thread_waiting_for_room_or_for_input) {
    const std::string table = longTable();
    const std::string data = gzipped(table);
    // The thread fills every piece and waits for room the reader never makes.
    for (int i = 0; i < 20; ++i) {
        GzipText text(std::make_unique<MemoryText>(data), "t.gz");
        if (i % 2)
            text.readMore();
    }
    // The thread waits for a writer that writes no more, and is never told the pipe closed.
    Pipe pipe;
    ASSERT_EQ(::write(pipe.ends[1], data.data(), 4096), 4096);
    {
        GzipText text(std::make_unique<StreamedText>(pipe.ends[0], "t.gz"), "t.gz");
        ASSERT_TRUE(text.readMore());
        EXPECT_FALSE(text.window().empty());
        // Time for the thread to take the next piece and wait in its read.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    SUCCEED() << "each source went away without waiting for its thread's input";
}
