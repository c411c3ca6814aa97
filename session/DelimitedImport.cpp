#include "session/DelimitedImport.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "readers/CSVParser.h"
#include "readers/FileBytes.h"
#include "session/ConversionSession.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <future>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pellacor {
namespace {

// Tracks how far two readers of one buffer have got and returns the pages both have passed to
// the system. The readers only move forward and never look behind the row they are on.
class PassedBytes {
public:
    explicit PassedBytes(std::string& bytes) noexcept
        : begin_(bytes.data()), end_(bytes.data() + bytes.size()), released_(begin_) {
        position_[0] = begin_;
        position_[1] = begin_;
    }

    // Reader `reader` (0 or 1) has finished with everything before `at`.
    void passed(int reader, const char* at) noexcept {
        if (at < begin_ || at > end_)
            return; // a field unquoted into the reader's own buffer says nothing about progress
        // Release and acquire: a reader's last look at the bytes before `at` happens before
        // anyone gives them back.
        position_[reader].store(at, std::memory_order_release);
        const char* both = std::min(position_[0].load(std::memory_order_acquire),
                                    position_[1].load(std::memory_order_acquire));
        if (both - released_.load(std::memory_order_relaxed) >= releaseStep)
            release(both);
    }

private:
    static constexpr std::ptrdiff_t releaseStep = std::ptrdiff_t(16) << 20;
    static constexpr std::ptrdiff_t margin = std::ptrdiff_t(1) << 20;

    void release(const char* both) noexcept {
#if defined(__linux__) && defined(MADV_DONTNEED)
        std::lock_guard lock(mutex_);
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto from =
            (reinterpret_cast<std::uintptr_t>(released_.load()) + page - 1) & ~(page - 1);
        const auto to = (reinterpret_cast<std::uintptr_t>(both - margin)) & ~(page - 1);
        if (to > from && from >= reinterpret_cast<std::uintptr_t>(begin_)) {
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
            released_.store(reinterpret_cast<const char*>(to));
        }
#else
        (void)both;
#endif
    }

    const char* const begin_;
    const char* const end_;
    std::atomic<const char*> position_[2];
    std::atomic<const char*> released_;
    std::mutex mutex_;
};

} // namespace

ImportOutcome DelimitedImport::run(const std::filesystem::path& file) {
    std::string bytes = FileBytes::read(file);
    const std::string fileName = file.filename().string();
    PassedBytes passed(bytes);

    // The FASTA text straight from the table, as the command-line converter makes it; the
    // records of the same rows are collected meanwhile on this thread.
    auto fastaTask = std::async(std::launch::async, [&] {
        QByteArray fasta;
        fasta.reserve(static_cast<qsizetype>(bytes.size() + bytes.size() / 64 + 64));
        ImportJob::adviseHugePages(fasta);
        std::string record;
        CSVParser::scan(bytes, fileName, [&](const CSVParser::RecordView& r) {
            record.clear();
            FastaConverter::appendRecord(record, r.identifier, r.sequence, r.description,
                                         ConversionSession::fastaLineWidth);
            fasta.append(record.data(), static_cast<qsizetype>(record.size()));
            passed.passed(1, r.identifier.data());
        });
        std::string trace = ConversionTrace::fastaLines(
            std::string_view(fasta.constData(), static_cast<std::size_t>(fasta.size())));
        return std::make_pair(std::move(fasta), std::move(trace));
    });

    ImportOutcome outcome;
    bool isTabDelimited = false;
    try {
        isTabDelimited = CSVParser::scan(bytes, fileName, [&](const CSVParser::RecordView& r) {
            outcome.entries.push_back(
                {std::string(r.identifier), std::string(r.sequence),
                 r.description ? std::optional<std::string>(*r.description) : std::nullopt});
            passed.passed(0, r.identifier.data());
        });
    } catch (...) {
        // Both read the same bytes, so the other fails alike; it must finish before they go.
        fastaTask.wait();
        throw;
    }
    auto [fasta, fastaTrace] = fastaTask.get();
    outcome.fileType = isTabDelimited ? QStringLiteral("TSV") : QStringLiteral("CSV");
    outcome.entryTrace = ConversionTrace::entryLines(outcome.entries.size(), outcome.entries);
    outcome.fasta = std::move(fasta);
    outcome.fastaTrace = std::move(fastaTrace);
    return outcome;
}

} // namespace pellacor
