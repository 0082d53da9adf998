#pragma once

#include <initializer_list>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QList>

namespace ovelin::test {

/// Sets environment variables for the life of the object (a null value unsets one); puts back
/// what each was before, set or not.
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QByteArray>> values = {})
    {
        for (const auto& [name, value] : values)
            set(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it)
            apply(it->first, it->second.value_or(QByteArray()));
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const char* name, const QByteArray& value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        apply(name, value);
    }

private:
    static void apply(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QList<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

} // namespace ovelin::test
