#include "app/forms/settings.h"

#include <QSettings>

namespace korvana::forms {

namespace {

QSettings openSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvana"),
                     QStringLiteral("korvana"));
}

}  // namespace

bool storedChoice(const QString& key, bool fallback) {
    return openSettings().value(key, fallback).toBool();
}

void storeChoice(const QString& key, bool value) { openSettings().setValue(key, value); }

QString storedText(const QString& key, const QString& fallback) {
    return openSettings().value(key, fallback).toString();
}

void storeText(const QString& key, const QString& value) { openSettings().setValue(key, value); }

}  // namespace korvana::forms
