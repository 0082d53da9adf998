#include "panel/RelativeDateFormatter.h"

#include <cmath>

#include "core/AppEnvironment.h"

namespace {

enum class Unit
{
    Second,
    Minute,
    Hour,
    Day,
    Week,
    Month,
    Year
};

struct Amount
{
    Unit unit;
    qint64 value;
};

// The largest unit that counts at least one, as a calendar reader would round.
Amount amountFor(qint64 seconds)
{
    constexpr qint64 minute = 60, hour = 3600, day = 86400;
    if (seconds < minute)
        return {Unit::Second, seconds};
    if (seconds < hour)
        return {Unit::Minute, seconds / minute};
    if (seconds < day)
        return {Unit::Hour, seconds / hour};
    const qint64 days = seconds / day;
    if (days < 7)
        return {Unit::Day, days};
    if (days < 30)
        return {Unit::Week, days / 7};
    if (days < 365)
        return {Unit::Month, std::max<qint64>(1, days / 30)};
    return {Unit::Year, days / 365};
}

QString englishUnit(Unit unit, qint64 n)
{
    switch (unit) {
    case Unit::Second:
        return QStringLiteral("sec.");
    case Unit::Minute:
        return QStringLiteral("min.");
    case Unit::Hour:
        return QStringLiteral("hr.");
    case Unit::Day:
        return n == 1 ? QStringLiteral("day") : QStringLiteral("days");
    case Unit::Week:
        return QStringLiteral("wk.");
    case Unit::Month:
        return QStringLiteral("mo.");
    case Unit::Year:
        return QStringLiteral("yr.");
    }
    return {};
}

QString portugueseUnit(Unit unit, qint64 n)
{
    switch (unit) {
    case Unit::Second:
        return QStringLiteral("seg.");
    case Unit::Minute:
        return QStringLiteral("min.");
    case Unit::Hour:
        return QStringLiteral("h");
    case Unit::Day:
        return n == 1 ? QStringLiteral("dia") : QStringLiteral("dias");
    case Unit::Week:
        return QStringLiteral("sem.");
    case Unit::Month:
        return n == 1 ? QStringLiteral("mês") : QStringLiteral("meses");
    case Unit::Year:
        return n == 1 ? QStringLiteral("ano") : QStringLiteral("anos");
    }
    return {};
}

} // namespace

RelativeDateFormatter::RelativeDateFormatter(const QLocale& locale)
    : m_locale(locale), m_portuguese(locale.language() == QLocale::Portuguese)
{
}

RelativeDateFormatter RelativeDateFormatter::forCurrentLanguage()
{
    return RelativeDateFormatter(AppEnvironment::shared().locale());
}

QString RelativeDateFormatter::localizedString(const QDateTime& date, const QDateTime& relativeTo) const
{
    const qint64 deltaMs = date.toMSecsSinceEpoch() - relativeTo.toMSecsSinceEpoch();
    const bool future = deltaMs > 0;
    const Amount amount = amountFor(std::llabs(deltaMs) / 1000);
    const QString number = m_locale.toString(amount.value);
    if (m_portuguese) {
        const QString unit = portugueseUnit(amount.unit, amount.value);
        return (future ? QStringLiteral("em ") : QStringLiteral("há ")) % number % u' ' % unit;
    }
    const QString unit = englishUnit(amount.unit, amount.value);
    if (future)
        return QStringLiteral("in ") + number + u' ' + unit;
    return number + u' ' + unit + QStringLiteral(" ago");
}
