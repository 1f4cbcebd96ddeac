#include "variant.h"

#include <cmath>

std::int64_t CVariant::ToInt64() const
{
    switch (GetType()) {
    case Type::Integer:
        return std::get<std::int64_t>(m_value);
    case Type::Real: {
        const double d = std::get<double>(m_value);
        // Out-of-range and NaN reals would be undefined to convert.
        if (!std::isfinite(d) || d >= 9.2e18 || d <= -9.2e18)
            return 0;
        return static_cast<std::int64_t>(d);
    }
    case Type::Text:
        return std::get<QString>(m_value).trimmed().toLongLong();
    default:
        return 0;
    }
}

QString CVariant::ToString() const
{
    switch (GetType()) {
    case Type::Integer:
        return QString::number(std::get<std::int64_t>(m_value));
    case Type::Real:
        return QString::number(std::get<double>(m_value));
    case Type::Text:
        return std::get<QString>(m_value);
    default:
        return {};
    }
}
