#include "platform/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zwf::qt {

QString LoadQtTranslation(QTranslator& translator, const QLocale& language) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // The C locale names no language: a machine set up without one gets the program's German.
    if (language.language() != QLocale::C &&
        translator.load(language, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        return translator.language().section(QLatin1Char('_'), 0, 0);
    if (translator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        return QStringLiteral("de");
    return {};
}

void InstallQtTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    LoadQtTranslation(*translator, QLocale::system());
    QCoreApplication::installTranslator(translator);
}

}  // namespace zwf::qt
