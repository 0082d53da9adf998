#pragma once

#include <QObject>
#include <QVariant>

/// The application-wide notifications that pass between parts of Ovelin.
class Notifications : public QObject
{
    Q_OBJECT
public:
    static Notifications& shared();

Q_SIGNALS:
    /// Asks the preferences view to switch section. The object is normally a PreferencesSection;
    /// observers ignore anything else.
    void selectPreferencesSection(const QVariant& object);

private:
    Notifications() = default;
};
