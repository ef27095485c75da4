#include "note/canvasstate.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

// What a state costs beyond its pixels (the object, its lists, the shared
// pointer's control block), so that even states without pixels count.
constexpr size_t kStateOverhead = 128;

void CopyRect(QImage& target, const QRect& r, const QRgb* source, int sourceStride) {
  for (int y = 0; y < r.height(); ++y)
    std::memcpy(reinterpret_cast<QRgb*>(target.scanLine(r.top() + y)) + r.left(),
                source + size_t(y) * sourceStride, size_t(r.width()) * sizeof(QRgb));
}

}  // namespace

CanvasState::Ref CanvasState::Uniform(QSize size, QRgb colour) {
  std::shared_ptr<CanvasState> state(new CanvasState(size));
  state->m_kind = Kind::Uniform;
  state->m_colour = colour | 0xff000000u;
  return state;
}

CanvasState::Ref CanvasState::Picture(const QImage& image) {
  std::shared_ptr<CanvasState> state(new CanvasState(image.size()));
  state->m_kind = Kind::Picture;
  state->m_picture = image.convertToFormat(QImage::Format_RGB32);
  return state;
}

CanvasState::Ref CanvasState::Delta(Ref parent, const QImage& image,
                                    const std::vector<QRect>& rects) {
  std::shared_ptr<CanvasState> state(new CanvasState(parent->size()));
  state->m_kind = Kind::Delta;
  state->m_parent = std::move(parent);
  size_t total = 0;
  for (const QRect& r : rects) total += size_t(r.width()) * size_t(r.height());
  state->m_pixels.resize(total);
  state->m_patches.reserve(rects.size());
  size_t offset = 0;
  for (const QRect& r : rects) {
    state->m_patches.push_back({r, offset});
    for (int y = r.top(); y <= r.bottom(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + r.left();
      std::memcpy(state->m_pixels.data() + offset, line, size_t(r.width()) * sizeof(QRgb));
      offset += size_t(r.width());
    }
  }
  return state;
}

CanvasState::~CanvasState() {
  // A long chain is released one state at a time instead of recursively.
  Ref parent = std::move(m_parent);
  while (parent && parent.use_count() == 1) {
    Ref next = std::move(parent->m_parent);
    parent = std::move(next);
  }
}

std::vector<QRect> CanvasState::ChangedRects() const {
  if (m_kind != Kind::Delta) return {rect()};
  std::vector<QRect> rects;
  rects.reserve(m_patches.size());
  for (const Patch& p : m_patches) rects.push_back(p.rect);
  return rects;
}

size_t CanvasState::bytes() const {
  size_t own = kStateOverhead;
  if (m_kind == Kind::Picture) own += size_t(m_picture.sizeInBytes());
  own += m_patches.capacity() * sizeof(Patch) + m_pixels.capacity() * sizeof(QRgb);
  return own;
}

void CanvasState::RenderOwn(QImage& target, const QRegion& region, const QRect& bounds) const {
  switch (m_kind) {
    case Kind::Uniform:
      for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
          std::fill_n(reinterpret_cast<QRgb*>(target.scanLine(y)) + r.left(), r.width(), m_colour);
      break;
    case Kind::Picture: {
      const int stride = int(m_picture.bytesPerLine() / sizeof(QRgb));
      const auto* pixels = reinterpret_cast<const QRgb*>(m_picture.constBits());
      for (const QRect& r : region)
        CopyRect(target, r, pixels + size_t(r.top()) * stride + r.left(), stride);
      break;
    }
    case Kind::Delta:
      for (const Patch& p : m_patches) {
        if (!p.rect.intersects(bounds)) continue;
        for (const QRect& r : region) {
          const QRect part = p.rect & r;
          if (part.isEmpty()) continue;
          const QRgb* source = m_pixels.data() + p.offset +
                               size_t(part.top() - p.rect.top()) * p.rect.width() +
                               (part.left() - p.rect.left());
          CopyRect(target, part, source, p.rect.width());
        }
      }
      break;
  }
}

void CanvasState::RenderInto(QImage& target, const QRegion& region) const {
  const QRegion clipped = region & rect();
  if (clipped.isEmpty()) return;
  const QRect bounds = clipped.boundingRect();
  std::vector<const CanvasState*> chain;
  for (const CanvasState* s = this; s != nullptr; s = s->m_parent.get()) chain.push_back(s);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->RenderOwn(target, clipped, bounds);
}

QImage CanvasState::ToImage() const {
  QImage image(m_size, QImage::Format_RGB32);
  RenderInto(image, QRegion(rect()));
  return image;
}

QRegion CanvasState::Difference(const CanvasState* a, const CanvasState* b) {
  if (a == b) return {};
  if (a == nullptr || b == nullptr) return QRegion((a != nullptr ? a : b)->rect());
  std::unordered_set<const CanvasState*> ancestorsOfA;
  for (const CanvasState* s = a; s != nullptr; s = s->m_parent.get()) ancestorsOfA.insert(s);
  const CanvasState* common = b;
  while (common != nullptr && !ancestorsOfA.count(common)) common = common->m_parent.get();
  if (common == nullptr) return QRegion(a->rect()) | QRegion(b->rect());
  QRegion region;
  for (const CanvasState* from : {a, b})
    for (const CanvasState* s = from; s != common; s = s->m_parent.get())
      for (const QRect& r : s->ChangedRects()) region += r;
  return region;
}

void CanvasState::Flatten() const {
  if (m_kind != Kind::Delta) return;
  QImage whole = ToImage();
  if (whole.isNull()) return;
  // A canvas of one colour keeps only that colour.
  const QRgb first = whole.pixel(0, 0);
  bool uniform = true;
  for (int y = 0; y < whole.height() && uniform; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
    uniform = std::all_of(line, line + whole.width(), [first](QRgb p) { return p == first; });
  }
  if (uniform) {
    m_kind = Kind::Uniform;
    m_colour = first;
  } else {
    m_kind = Kind::Picture;
    m_picture = std::move(whole);
  }
  // Assigning an empty list would keep the memory: swap it away.
  std::vector<Patch>().swap(m_patches);
  std::vector<QRgb>().swap(m_pixels);
  m_parent.reset();
}
