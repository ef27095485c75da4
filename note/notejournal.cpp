#include "note/notejournal.h"

#include <QDataStream>
#include <QFile>
#include <QIODevice>

#include <zlib.h>

namespace {

constexpr char kMagic[] = "SCRVJRN1";
constexpr qsizetype kMagicSize = 8;
constexpr qsizetype kHeaderSize = kMagicSize + 8;
// A record larger than this is damage, not an action (pictures included).
constexpr quint32 kLargestRecord = 256u << 20;

quint32 Crc(const QByteArray& data) {
  return quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}

void WriteRect(QDataStream& out, const QRect& r) { out << qint32(r.x()) << qint32(r.y()) << qint32(r.width()) << qint32(r.height()); }

QRect ReadRect(QDataStream& in) {
  qint32 x = 0, y = 0, w = 0, h = 0;
  in >> x >> y >> w >> h;
  return QRect(x, y, w, h);
}

QByteArray Payload(const NoteAction& action, const QByteArray& pictureBytes) {
  QByteArray payload;
  QDataStream out(&payload, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out.setByteOrder(QDataStream::LittleEndian);
  out << quint8(action.kind);
  using Kind = NoteAction::Kind;
  switch (action.kind) {
    case Kind::Stroke:
      out << quint32(action.stroke.color) << qint32(action.stroke.width) << qint64(action.stroke.ms)
          << quint32(action.stroke.points.size());
      for (const QPointF& p : action.stroke.points) out << qint32(p.x()) << qint32(p.y());
      break;
    case Kind::Picture: out << action.path << pictureBytes; break;
    case Kind::Drag:
      out << qint32(action.picture) << quint32(action.areas.size());
      for (const QRect& r : action.areas) WriteRect(out, r);
      break;
    case Kind::Erase:
      out << quint32(action.erasure.squares.size());
      for (const StoreErasure::Square& s : action.erasure.squares) {
        WriteRect(out, s.rect);
        out << qint32(s.strokes);
      }
      out << quint32(action.erasure.pictures.size());
      for (const StoreErasure::Picture& p : action.erasure.pictures) {
        out << qint32(p.index);
        WriteRect(out, p.area);
      }
      break;
    default: break;
  }
  return payload;
}

// Counts read from a record are checked against what is left of it.
bool Fits(QDataStream& in, quint32 count, int bytesEach) {
  return in.status() == QDataStream::Ok && qint64(count) * bytesEach <= in.device()->bytesAvailable();
}

std::optional<JournalEntry> ParsePayload(const QByteArray& payload) {
  QDataStream in(payload);
  in.setVersion(QDataStream::Qt_6_0);
  in.setByteOrder(QDataStream::LittleEndian);
  quint8 kind = 0;
  in >> kind;
  using Kind = NoteAction::Kind;
  if (kind < quint8(Kind::Stroke) || kind > quint8(Kind::DeletePage)) return std::nullopt;
  JournalEntry entry;
  NoteAction& a = entry.action;
  a.kind = Kind(kind);
  quint32 count = 0;
  switch (a.kind) {
    case Kind::Stroke: {
      quint32 color = 0;
      qint32 width = 1;
      qint64 ms = -1;
      in >> color >> width >> ms >> count;
      if (!Fits(in, count, 8)) return std::nullopt;
      a.stroke.color = color;
      a.stroke.width = width;
      a.stroke.ms = ms;
      a.stroke.points.reserve(count);
      for (quint32 i = 0; i < count; ++i) {
        qint32 x = 0, y = 0;
        in >> x >> y;
        a.stroke.points.emplace_back(x, y);
      }
      break;
    }
    case Kind::Picture: in >> a.path >> entry.pictureBytes; break;
    case Kind::Drag:
      in >> a.picture >> count;
      if (!Fits(in, count, 16)) return std::nullopt;
      for (quint32 i = 0; i < count; ++i) a.areas.push_back(ReadRect(in));
      break;
    case Kind::Erase:
      in >> count;
      if (!Fits(in, count, 20)) return std::nullopt;
      for (quint32 i = 0; i < count; ++i) {
        StoreErasure::Square s;
        s.rect = ReadRect(in);
        in >> s.strokes;
        a.erasure.squares.push_back(s);
      }
      in >> count;
      if (!Fits(in, count, 20)) return std::nullopt;
      for (quint32 i = 0; i < count; ++i) {
        StoreErasure::Picture p;
        in >> p.index;
        p.area = ReadRect(in);
        a.erasure.pictures.push_back(p);
      }
      break;
    default: break;
  }
  if (in.status() != QDataStream::Ok || !in.atEnd()) return std::nullopt;
  return entry;
}

quint32 ReadU32(const QByteArray& bytes, qsizetype at) {
  const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
  return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

void AppendU32(QByteArray& out, quint32 v) {
  for (int i = 0; i < 4; ++i) out += char(v >> (8 * i) & 0xff);
}

}  // namespace

QByteArray JournalHeader(QSize canvas) {
  QByteArray header(kMagic, kMagicSize);
  AppendU32(header, quint32(canvas.width()));
  AppendU32(header, quint32(canvas.height()));
  return header;
}

QByteArray JournalRecord(const NoteAction& action, const QByteArray& pictureBytes) {
  const QByteArray payload = Payload(action, pictureBytes);
  QByteArray record;
  record.reserve(payload.size() + 8);
  AppendU32(record, quint32(payload.size()));
  AppendU32(record, Crc(payload));
  record += payload;
  return record;
}

JournalContents ReadJournalBytes(const QByteArray& bytes) {
  JournalContents contents;
  if (bytes.size() < kHeaderSize || !bytes.startsWith(QByteArray(kMagic, kMagicSize))) {
    contents.error = QStringLiteral("it is not a Scrivel journal");
    return contents;
  }
  contents.canvas = QSize(int(ReadU32(bytes, kMagicSize)), int(ReadU32(bytes, kMagicSize + 4)));
  if (contents.canvas.isEmpty() || contents.canvas.width() > 100000 || contents.canvas.height() > 100000) {
    contents.error = QStringLiteral("its canvas size is damaged");
    contents.canvas = QSize();
    return contents;
  }
  qsizetype at = kHeaderSize;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) {
      contents.error = QStringLiteral("its last record is cut off");
      break;
    }
    const quint32 length = ReadU32(bytes, at), crc = ReadU32(bytes, at + 4);
    if (length > kLargestRecord || qsizetype(length) > bytes.size() - at - 8) {
      contents.error = QStringLiteral("a record is cut off or damaged");
      break;
    }
    const QByteArray payload = bytes.mid(at + 8, qsizetype(length));
    std::optional<JournalEntry> entry;
    if (Crc(payload) == crc) entry = ParsePayload(payload);
    if (!entry) {
      contents.error = QStringLiteral("a record is damaged");
      break;
    }
    contents.entries.push_back(std::move(*entry));
    at += 8 + qsizetype(length);
  }
  contents.intactBytes = at;
  contents.intact = at == bytes.size();
  return contents;
}

JournalContents ReadJournal(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    JournalContents contents;
    contents.error = file.errorString();
    return contents;
  }
  return ReadJournalBytes(file.readAll());
}
