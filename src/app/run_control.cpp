#include "app/run_control.h"

#include <QFileInfo>

namespace tamberline {

namespace {
constexpr int kFileMissing = 4;
}  // namespace

int NullRunControl::PrepareButton(int /*button*/, ButtonRecord& record) {
    const QFileInfo file(
        QString::fromUtf8(PathOf(record).data(), static_cast<qsizetype>(PathOf(record).size())));
    return file.isFile() && file.isReadable() ? 0 : kFileMissing;
}

}  // namespace tamberline
