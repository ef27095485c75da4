#pragma once
// The state of a live note canvas at one point of a page's history, kept
// cheaply: a root state holds a whole canvas (one colour, or a full picture);
// every other state holds only the pixels in which it differs from the state
// it was made from (its parent), as a few rectangles. States are shared and
// immutable, so entries that move between a page's history and redo lists, or
// that repeat the canvas unchanged, cost nothing more; a state lives as long
// as an entry or a later state needs it.
//
// Rendering a state replays its chain from the root, clipped to the region
// asked for, so it gives exactly the canvas from which it was taken.

#include <QImage>
#include <QRegion>
#include <QSize>

#include <memory>
#include <vector>

class CanvasState {
 public:
  using Ref = std::shared_ptr<const CanvasState>;

  // A canvas of one colour.
  static Ref Uniform(QSize size, QRgb colour);
  // A whole canvas picture (stored as opaque RGB32).
  static Ref Picture(const QImage& image);
  // `parent` with the pixels of `image` inside `rects` (which do not overlap
  // and lie inside the canvas). `image` has the canvas's size.
  static Ref Delta(Ref parent, const QImage& image, const std::vector<QRect>& rects);

  ~CanvasState();
  CanvasState(const CanvasState&) = delete;
  CanvasState& operator=(const CanvasState&) = delete;

  QSize size() const { return m_size; }
  QRect rect() const { return QRect(QPoint(0, 0), m_size); }
  const CanvasState* parent() const { return m_parent.get(); }
  bool IsRoot() const { return !m_parent; }
  // The rectangles this state holds pixels for (the whole canvas for a root).
  std::vector<QRect> ChangedRects() const;
  // Bytes of memory this state holds itself (its parent not counted).
  size_t bytes() const;

  // Writes this state's pixels inside `region` into `target` (RGB32, the
  // canvas's size); pixels outside `region` stay as they are.
  void RenderInto(QImage& target, const QRegion& region) const;
  // The whole canvas of this state.
  QImage ToImage() const;

  // The region in which states `a` and `b` may differ: the changes on the
  // way from each to their newest common ancestor, or the whole canvas when
  // they share none.
  static QRegion Difference(const CanvasState* a, const CanvasState* b);

  // Makes this state a root that holds its whole canvas, so that its parent
  // chain can be released. What the state renders does not change.
  void Flatten() const;

 private:
  enum class Kind { Uniform, Picture, Delta };
  struct Patch {
    QRect rect;
    size_t offset;  // first pixel in m_pixels; rows of rect.width() pixels
  };

  explicit CanvasState(QSize size) : m_size(size) {}
  void RenderOwn(QImage& target, const QRegion& region, const QRect& bounds) const;

  QSize m_size;
  // Flatten turns a delta into a root in place; the canvas it renders stays.
  mutable Kind m_kind = Kind::Uniform;
  mutable Ref m_parent;
  mutable QRgb m_colour = 0xffffffff;
  mutable QImage m_picture;
  mutable std::vector<Patch> m_patches;
  mutable std::vector<QRgb> m_pixels;
};
