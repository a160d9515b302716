#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <iostream>
#include <memory>

namespace portal {

bool UseQtTranslations(const std::string& language) {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (language == "en-US") {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return true;
    }
    if (language != "zh-CN") {
        QLocale::setDefault(QLocale::system());
        return true;
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto translator = std::make_unique<QTranslator>();
    // "qt" is the catalogue that pulls in qtbase's and the other modules' texts.
    if (!translator->load(chinese, "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        std::cerr << "sovrel-portal: Qt's own texts stay English: no Qt translations for " << language << " in "
                  << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString() << "\n";
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace portal
