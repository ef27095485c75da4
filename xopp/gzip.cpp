#include "xopp/gzip.h"

#include <zlib.h>

namespace {

// zlib's window bits for a gzip header and trailer (deflate) or for either
// gzip or zlib data (inflate).
constexpr int kGzipWindow = 15 + 16;
constexpr int kAutoWindow = 15 + 32;
constexpr int kChunk = 64 * 1024;

}  // namespace

QByteArray GzipBytes(const QByteArray& data) {
  z_stream zs{};
  // The fastest level: a document of handwriting is numbers, which it packs
  // almost as well as the default level at a third of the time.
  if (deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return {};
  QByteArray out;
  out.resize(qsizetype(deflateBound(&zs, uLong(data.size()))));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  zs.avail_in = uInt(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = uInt(out.size());
  const int rc = deflate(&zs, Z_FINISH);
  out.resize(qsizetype(zs.total_out));
  deflateEnd(&zs);
  return rc == Z_STREAM_END ? out : QByteArray();
}

QByteArray GunzipBytes(const QByteArray& gz, bool* complete) {
  if (complete) *complete = false;
  z_stream zs{};
  if (inflateInit2(&zs, kAutoWindow) != Z_OK) return {};
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.constData()));
  zs.avail_in = uInt(gz.size());
  QByteArray out;
  int rc = Z_OK;
  while (rc == Z_OK) {
    const qsizetype had = out.size();
    out.resize(had + kChunk);
    zs.next_out = reinterpret_cast<Bytef*>(out.data() + had);
    zs.avail_out = kChunk;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.resize(had + kChunk - qsizetype(zs.avail_out));
    if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;  // input ends early
  }
  inflateEnd(&zs);
  if (complete) *complete = rc == Z_STREAM_END;
  return out;
}
