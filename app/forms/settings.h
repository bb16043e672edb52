// The user's choices that korvana keeps from one start to the next: an INI
// file "Korvana/korvana.ini" in the user's configuration directory. Tests move
// it with QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir).
#pragma once

#include <QString>

namespace korvana::forms {

//! The stored choice under `key`, or `fallback` when none was stored.
bool storedChoice(const QString& key, bool fallback);
void storeChoice(const QString& key, bool value);
//! A stored text under `key`, or `fallback` when none was stored.
QString storedText(const QString& key, const QString& fallback = QString());
void storeText(const QString& key, const QString& value);

}  // namespace korvana::forms
