#pragma once

namespace db {

/// Column types as the program sees them (the database stores fewer kinds).
enum class FieldType {
    String,    ///< text of at most `size` characters
    FixedChar, ///< text of exactly `size` characters, padded with blanks
    Integer,
    AutoInc,   ///< counter: numbered by the database unless the program writes it
    Boolean,   ///< yes/no, stored 0/1
    Float,
    Currency,  ///< money and points: four decimals
    BCD,       ///< computed decimals
    DateTime,  ///< stored as fixed-width text
};

/// Float, money or computed decimals: read and shown as doubles.
constexpr bool isDecimal(FieldType type)
{
    return type == FieldType::Float || type == FieldType::Currency || type == FieldType::BCD;
}

/// Any number: a decimal, an integer or a counter (right-aligned in grids).
constexpr bool isNumeric(FieldType type)
{
    return isDecimal(type) || type == FieldType::Integer || type == FieldType::AutoInc;
}

/// Text of either kind.
constexpr bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedChar;
}

/// Where a field's value comes from.
enum class FieldKind {
    Data,       ///< a column of the statement's result
    Calculated, ///< set by the calc-fields handler
    Lookup,     ///< found in another dataset by key
};

} // namespace db
