#pragma once
// Helpers for the bad-input tests: scratch folders others may enter, noise that is not text,
// and watching how much a folder grows.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace pellacor::hostile {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// A fresh folder under /tmp that every user may enter; removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = "/tmp/pellacor-hostile-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        fs::permissions(path_, fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline void writeFile(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

/// The bytes of `file`.
inline std::string slurpFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Names inside `folder`, or none when it does not exist.
inline std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

/// `size` bytes of noise that is never valid UTF-8 (it holds 0xFF), the same on every run.
inline std::string randomBinary(std::size_t size) {
    std::mt19937 random(20240601);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    bytes[size / 2] = '\xFF';
    return bytes;
}

/// Watches the total size of the files under a folder from a second thread while alive.
class PeakSizeWatcher {
public:
    explicit PeakSizeWatcher(fs::path folder) : folder_(std::move(folder)) {}
    ~PeakSizeWatcher() { stop(); }

    /// Stops watching and returns the largest total seen, in bytes.
    std::uintmax_t stop() {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
        return peak_;
    }

private:
    void watch() {
        for (; running_; std::this_thread::sleep_for(2ms)) {
            std::uintmax_t total = 0;
            std::error_code error;
            for (auto it = fs::recursive_directory_iterator(folder_, error);
                 !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
                std::error_code vanished;
                if (it->is_regular_file(vanished))
                    total += it->file_size(vanished);
            }
            peak_ = std::max<std::uintmax_t>(peak_, total);
        }
    }

    fs::path folder_;
    std::atomic<bool> running_{true};
    std::atomic<std::uintmax_t> peak_{0};
    std::thread thread_{[this] { watch(); }};
};

} // namespace pellacor::hostile
