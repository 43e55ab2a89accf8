#include "qt/Icons.h"

namespace kelvanter {

namespace {

QIcon iconFromSizes(const QString& name, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QString(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

} // namespace

QIcon magnetIcon() {
    return iconFromSizes("magnet", {16, 32, 48});
}
QIcon folderIcon() {
    return iconFromSizes("folder", {16});
}
QIcon infoIcon() {
    return iconFromSizes("info", {16, 32});
}
QIcon doorIcon() {
    return iconFromSizes("door", {32});
}

} // namespace kelvanter
