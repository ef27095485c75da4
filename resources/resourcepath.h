#pragma once
// Where the program's compiled-in artwork lives: every picture is a PNG file
// under a prefix named after its kind, and named after its id.

#include <QString>

namespace scrivel {

// ":/png/144.png" for (144, "PNG"), ":/icon/128.png" for (128, "ICON"),
// ":/cursor/142.png" for (142, "CURSOR").
QString ResourcePath(unsigned id, const QString& type);

// The SVG source of the artwork with `id`: ":/svg/<id>.svg" (absent for
// pictures that have none).
QString SvgSourcePath(unsigned id);

}  // namespace scrivel
