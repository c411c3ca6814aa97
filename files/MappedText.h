#pragma once

#include "files/MappedFile.h"
#include "files/TextSource.h"

#include <filesystem>

namespace pellacor {

/// A regular file as a source: mapped whole, so every byte is in the window at once, with the
/// memory behind the reader given back as it goes, so that reading a file of any size holds
/// only a few megabytes of it.
class MappedText : public TextSource {
public:
    /// Maps the regular file at `path`; throws `FileError` as `MappedFile` does.
    explicit MappedText(const std::filesystem::path& path) : file_(path) {}
    /// Maps the regular file open at `fd` (named `name` in messages) from where it stands.
    MappedText(int fd, const std::string& name) : file_(fd, name) {}

    std::string_view window() const noexcept override { return file_.bytes().substr(dropped_); }
    bool readMore() override { return false; }
    bool isComplete() const noexcept override { return true; }
    void drop(std::size_t bytes) override;
    void willRead(std::size_t bytes) override { file_.prepare(dropped_, bytes); }
    void verifyUnchanged() const override { file_.verifyUnchanged(); }
    Copier copier() const override {
        return [this, base = dropped_](std::size_t at, std::size_t bytes, char* out) {
            file_.copy(base + at, bytes, out);
        };
    }

private:
    MappedFile file_;
    std::size_t dropped_ = 0;
    std::size_t released_ = 0; // memory before this offset has been given back
};

} // namespace pellacor
