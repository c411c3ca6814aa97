#pragma once

#include <zlib.h>

#include <string>
#include <string_view>

namespace pellacor::testdata {

/// `text` as one gzip member, compressed by zlib at `level`: the reference the readers are
/// held to.
inline std::string gzipped(std::string_view text, int level = 6) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, text.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

/// `data` inflated with zlib, every member; "<not gzip>" when it is no whole gzip data.
inline std::string gunzipped(const std::string& data) {
    z_stream z{};
    inflateInit2(&z, 16 + MAX_WBITS);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string text;
    char out[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        status = inflate(&z, Z_NO_FLUSH);
        text.append(out, sizeof out - z.avail_out);
        if (status == Z_STREAM_END && z.avail_in > 0 && inflateReset(&z) == Z_OK)
            status = Z_OK;
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? text : "<not gzip>";
}

} // namespace pellacor::testdata
