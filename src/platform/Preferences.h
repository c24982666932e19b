// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few choices the program keeps from one run to the next (the axis setting, the
// incoming-data view, and the settings when the user asks to remember them).
// The windows read and write them through this interface; tests keep them in memory.

#include <QHash>
#include <QSettings>
#include <QString>

namespace platform {

class Preferences {
public:
    virtual ~Preferences() = default;
    /// The stored value, or an empty text when none was stored.
    virtual QString value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QString& value) = 0;
};

/// Kept for the run only.
class MemoryPreferences final : public Preferences {
public:
    QString value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QString& value) override { m_values[key] = value; }

private:
    QHash<QString, QString> m_values;
};

/// Kept in the user's configuration folder (~/.config/Quorvel/Quorvel.conf here).
class QtPreferences final : public Preferences {
public:
    QtPreferences() : m_settings(QStringLiteral("Quorvel"), QStringLiteral("Quorvel")) {}
    /// Kept in the file `path` instead (tests).
    explicit QtPreferences(const QString& path) : m_settings(path, QSettings::IniFormat) {}
    QString value(const QString& key) const override { return m_settings.value(key).toString(); }
    void setValue(const QString& key, const QString& value) override {
        m_settings.setValue(key, value);
        m_settings.sync();
    }

private:
    QSettings m_settings;
};

}  // namespace platform
