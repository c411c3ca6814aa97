#include "session/FileAccessGrant.h"

#include <utility>

namespace pellacor {

FileAccessGrant::FileAccessGrant(FileAccess& access, QString path) noexcept
    : access_(&access), path_(std::move(path)) {}

FileAccessGrant::FileAccessGrant(FileAccessGrant&& other) noexcept
    : access_(std::exchange(other.access_, nullptr)), path_(std::move(other.path_)) {}

FileAccessGrant& FileAccessGrant::operator=(FileAccessGrant&& other) noexcept {
    if (this != &other) {
        release();
        access_ = std::exchange(other.access_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileAccessGrant::~FileAccessGrant() {
    release();
}

void FileAccessGrant::release() noexcept {
    if (FileAccess* access = std::exchange(access_, nullptr))
        access->stopAccessing(path_);
}

} // namespace pellacor
