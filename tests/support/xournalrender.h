#pragma once
// Debian's xournalpp as the judge of our documents: it renders a .xopp into
// one PNG per page (under a private X server, with a private configuration),
// and ink masks compare its pictures with ours without asking for the same
// bytes (the two renderers anti-alias differently).

#include <QImage>
#include <QString>

#include <vector>

namespace scrivel::test {

// The pages of `xopp` as xournalpp renders them at `dpi` (72: one pixel per
// point), in page order; empty when xournalpp failed. `workDir` receives the
// pictures and xournalpp's configuration.
std::vector<QImage> RenderWithXournal(const QString& xopp, const QString& workDir, int dpi = 72);

// Pixels darker than `threshold` (0..255 grey) as ink, the rest as paper.
QImage InkMask(const QImage& image, int threshold = 160);

// Ink of `a` farther than `tolerance` pixels from any ink of `b`, and the
// other way round, as a share of the ink of both (0: the same writing).
double InkMismatch(const QImage& a, const QImage& b, int tolerance = 2);
// The pixels of `mask` that are ink.
int InkCount(const QImage& mask);

}  // namespace scrivel::test
