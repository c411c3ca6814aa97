#pragma once
// Writes zip archives byte by byte, so tests can make the ones no zip program would: entry
// names that climb out of the target folder, and small entries that inflate to gigabytes.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::hostile {

class ZipBuilder {
public:
    /// Adds `data` stored as it is under `name`; the headers claim `claimedSize` when given.
    void addStored(const std::string& name, std::string_view data,
                   std::optional<std::uint64_t> claimedSize = std::nullopt) {
        add(name, 0, std::string(data), crcOf(data), claimedSize.value_or(data.size()),
            data.size());
    }

    /// Adds `mebibytes` MiB of zero bytes, deflated (about 1 KiB per MiB). The headers claim
    /// `claimedSize` bytes when given, else the true size; sizes past 4 GiB use zip64 fields.
    void addZeros(const std::string& name, std::uint64_t mebibytes,
                  std::optional<std::uint64_t> claimedSize = std::nullopt) {
        const std::string zeros(1 << 20, '\0');
        const std::string block = deflateBlock(zeros);
        std::string data;
        data.reserve(block.size() * mebibytes + 2);
        uLong crc = crc32(0, nullptr, 0);
        const uLong blockCrc = crcOf(zeros);
        for (std::uint64_t i = 0; i < mebibytes; ++i) {
            data += block;
            crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(zeros.size()));
        }
        data += std::string("\x03\x00", 2); // an empty final block with fixed codes
        add(name, 8, std::move(data), crc, claimedSize.value_or(mebibytes << 20), std::nullopt);
    }

    /// Adds `head`, then `times` copies of `block`, then `tail`, deflated: gigabytes of
    /// repetitive XML in a few megabytes, made in well under a second.
    void addRepeated(const std::string& name, const std::string& head, const std::string& block,
                     std::uint64_t times, const std::string& tail) {
        std::string data = deflateBlock(head);
        uLong crc = crcOf(head);
        const std::string packedBlock = deflateBlock(block);
        const uLong blockCrc = crcOf(block);
        data.reserve(data.size() + packedBlock.size() * times + tail.size() + 64);
        for (std::uint64_t i = 0; i < times; ++i) {
            data += packedBlock;
            crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(block.size()));
        }
        data += deflateBlock(tail);
        crc = crc32_combine(crc, crcOf(tail), static_cast<z_off_t>(tail.size()));
        data += std::string("\x03\x00", 2); // an empty final block with fixed codes
        add(name, 8, std::move(data), crc, head.size() + block.size() * times + tail.size(),
            std::nullopt);
    }

    /// The whole archive.
    std::string bytes() const {
        std::string out = body_;
        const std::size_t directoryOffset = out.size();
        out += directory_;
        out += le32(0x06054b50) + le16(0) + le16(0) + le16(count_) + le16(count_) +
               le32(static_cast<std::uint32_t>(directory_.size())) +
               le32(static_cast<std::uint32_t>(directoryOffset)) + le16(0);
        return out;
    }

private:
    static std::string le16(std::uint16_t v) {
        return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    }
    static std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
    static std::string le64(std::uint64_t v) {
        return le32(static_cast<std::uint32_t>(v)) + le32(static_cast<std::uint32_t>(v >> 32));
    }

    static uLong crcOf(std::string_view data) {
        return crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()),
                     static_cast<uInt>(data.size()));
    }

    // Raw deflate of `data`, ended by a full flush so that copies of it can follow each other.
    static std::string deflateBlock(const std::string& data) {
        z_stream z{};
        if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflateInit2 failed");
        std::string out(deflateBound(&z, data.size()) + 64, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const int status = deflate(&z, Z_FULL_FLUSH);
        out.resize(out.size() - z.avail_out);
        deflateEnd(&z);
        if (status != Z_OK || z.avail_in != 0)
            throw std::runtime_error("deflate failed");
        return out;
    }

    void add(const std::string& name, std::uint16_t method, std::string data, uLong crc,
             std::uint64_t size, std::optional<std::uint64_t> compressed) {
        const std::uint64_t packed = compressed.value_or(data.size());
        const bool wide = size >= 0xFFFFFFFFu || packed >= 0xFFFFFFFFu;
        const std::uint32_t size32 = wide ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size);
        const std::uint32_t packed32 = wide ? 0xFFFFFFFFu : static_cast<std::uint32_t>(packed);
        const std::string extra = wide ? le16(1) + le16(16) + le64(size) + le64(packed) : "";
        const std::uint16_t version = wide ? 45 : 20;
        const std::string common = le16(0) + le16(method) + le16(0) + le16(0x21) +
                                   le32(static_cast<std::uint32_t>(crc)) + le32(packed32) +
                                   le32(size32) + le16(static_cast<std::uint16_t>(name.size())) +
                                   le16(static_cast<std::uint16_t>(extra.size()));
        const auto offset = static_cast<std::uint32_t>(body_.size());
        body_ += le32(0x04034b50) + le16(version) + common + name + extra;
        body_ += data;
        directory_ += le32(0x02014b50) + le16(0x031E) + le16(version) + common + le16(0) + le16(0) +
                      le16(0) + le32(0100644u << 16) + le32(offset) + name + extra;
        ++count_;
    }

    std::string body_;
    std::string directory_;
    std::uint16_t count_ = 0;
};

} // namespace pellacor::hostile
