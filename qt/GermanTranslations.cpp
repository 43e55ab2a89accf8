#include "qt/GermanTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelvanter {

bool installGermanTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return QCoreApplication::installTranslator(translator);
}

} // namespace kelvanter
