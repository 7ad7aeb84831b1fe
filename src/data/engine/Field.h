#pragma once
// One field of a dataset: a column of its statement, a calculated value, or a
// value looked up in another dataset.

#include "FieldType.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

class Dataset;
class Statement;

class Field
{
public:
    Field(Dataset *dataset, const QString &name, FieldType type, FieldKind kind, int size);

    Dataset *dataset() const { return m_dataset; }
    const QString &name() const { return m_name; }
    FieldType type() const { return m_type; }
    FieldKind kind() const { return m_kind; }
    bool isCalculated() const { return m_kind == FieldKind::Calculated; }
    bool isLookup() const { return m_kind == FieldKind::Lookup; }
    int size() const { return m_size; }

    /// The label shown in grid headers; the field name while none was set.
    QString displayLabel() const { return m_displayLabel.isEmpty() ? m_name : m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    /// Width in characters that grids give the column (0: from the size).
    int displayWidth() const;
    void setDisplayWidth(int characters) { m_displayWidth = characters; }
    /// Input mask in the settings' notation ("AAA-AA;1;_"), empty for none.
    const QString &editMask() const { return m_editMask; }
    void setEditMask(const QString &mask) { m_editMask = mask; }
    /// Shown as money (currency format) by grids and reports.
    bool isCurrency() const { return m_currency; }
    void setCurrency(bool currency) { m_currency = currency; }

    /// Makes this a lookup: the values of `keyFields` (of this dataset) are
    /// searched in `lookupKeyFields` of `source`, giving `resultField`.
    void setLookup(Dataset *source, const QStringList &keyFields, const QStringList &lookupKeyFields,
                   const QString &resultField);
    Dataset *lookupDataset() const { return m_lookupDataset; }
    const QStringList &keyFields() const { return m_keyFields; }

    /// The value in the dataset's active row (the current row, or the row
    /// being calculated or filtered). Null is an invalid QVariant.
    QVariant value() const;
    /// The value as it was read from the database while the current row is
    /// being edited (a stored field); value() otherwise.
    QVariant oldValue() const;
    /// Sets the value in the current row. Needs Edit or Insert (calculated
    /// fields: only inside the calc-fields handler). Throws DataError.
    void setValue(const QVariant &value);
    void clear() { setValue(QVariant()); }
    bool isNull() const;

    QString asString() const;
    double asFloat() const;
    int asInteger() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;
    /// Text for display: general numbers (money fields in the locale's currency
    /// format), default date format, "True"/"False".
    QString displayText() const;
    /// Sets from text typed by the user, read in the default locale.
    void setAsString(const QString &text);

    /// Converts a value to this field's type (empty text → null, money rounded,
    /// fixed text padded). Throws DataError when the value does not fit.
    QVariant convert(const QVariant &value) const;
    /// Converts a value read from the database to this field's type.
    QVariant fromStorage(const QVariant &raw) const;
    /// Reads `column` of the statement's current row as this field's type.
    QVariant read(const Statement &statement, int column) const;

    // Engine bookkeeping: the slot of the value in the dataset's rows (-1 for lookups).
    int bufferIndex() const { return m_bufferIndex; }
    void setBufferIndex(int index) { m_bufferIndex = index; }

private:
    Dataset *m_dataset;
    QString m_name;
    FieldType m_type;
    FieldKind m_kind;
    int m_size;
    QString m_displayLabel;
    bool m_visible = true;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_currency = false;
    int m_displayWidth = 0;
    QString m_editMask;
    int m_bufferIndex = -1;

    Dataset *m_lookupDataset = nullptr;
    QStringList m_keyFields;
    QStringList m_lookupKeyFields;
    QString m_lookupResultField;
};

} // namespace db
