#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace zwf::qt {

// Qt's own words (the folder dialog's labels and buttons, a message box's standard buttons) are
// loaded for language where Qt has a translation for it, else in German, the program's own
// language. Returns the language of what was loaded ("de", "fr", ...), "" when not even the German
// translation is installed; Qt then speaks English.
QString LoadQtTranslation(QTranslator& translator, const QLocale& language);

// LoadQtTranslation for the system's language, installed on application for its lifetime.
void InstallQtTranslation(QCoreApplication& application);

}  // namespace zwf::qt
