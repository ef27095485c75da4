#pragma once
// gzip streams in memory (zlib).

#include <QByteArray>

// `data` as one gzip member.
QByteArray GzipBytes(const QByteArray& data);
// The data of a gzip stream. A truncated or damaged stream gives what could
// be inflated before the damage, with `complete` false.
QByteArray GunzipBytes(const QByteArray& gz, bool* complete = nullptr);
