#include "resources/resourcepath.h"

namespace scrivel {

QString ResourcePath(unsigned id, const QString& type) {
  return QStringLiteral(":/%1/%2.png").arg(type.toLower()).arg(id);
}

QString SvgSourcePath(unsigned id) { return QStringLiteral(":/svg/%1.svg").arg(id); }

}  // namespace scrivel
