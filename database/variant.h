// A value crossing the provider boundary: a column value or a statement.
#pragma once

#include <QString>

#include <cstdint>
#include <variant>

class CVariant {
public:
    enum class Type { Empty, Null, Integer, Real, Text };

    CVariant() = default;
    static CVariant Null() { CVariant v; v.m_value = NullTag{}; return v; }
    explicit CVariant(std::int64_t value) : m_value(value) {}
    explicit CVariant(double value) : m_value(value) {}
    explicit CVariant(QString value) : m_value(std::move(value)) {}

    Type GetType() const { return static_cast<Type>(m_value.index()); }
    bool IsNull() const { return GetType() == Type::Null; }
    bool IsEmpty() const { return GetType() == Type::Empty; }

    // Numbers convert to the narrower widths by keeping the low bits, as a
    // 32-bit ID column or a 16-bit angle column is read. Text that is not a
    // number reads as 0; null and empty read as 0.
    std::int64_t ToInt64() const;
    std::uint32_t ToUInt32() const { return static_cast<std::uint32_t>(ToInt64()); }
    std::int16_t ToInt16() const { return static_cast<std::int16_t>(ToInt64()); }
    // Null and empty give the empty string; numbers give their decimal text.
    QString ToString() const;

private:
    struct NullTag {};
    std::variant<std::monostate, NullTag, std::int64_t, double, QString> m_value;
};
