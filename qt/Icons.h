#pragma once

#include <QIcon>

namespace kelvanter {

QIcon magnetIcon();
QIcon folderIcon();
QIcon infoIcon();
QIcon doorIcon();

} // namespace kelvanter
